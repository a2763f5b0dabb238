#include "ui/CAVConvertDlg.h"

#include "controls/CLabel.h"
#include "settings/AppFolders.h"
#include "settings/AppSettings.h"
#include "settings/LanguageChoice.h"
#include "settings/LanguageTexts.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui_CAVConvertDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

namespace {

// The file row reads "<path>   <N>% <done text>": the path ends where the
// last such percentage begins.
qsizetype FileRowPathEnd(const QString& text)
{
    static const QRegularExpression percentage(QStringLiteral("   \\d+% "));
    const qsizetype at = text.lastIndexOf(percentage);
    return at < 0 ? text.size() : at;
}

bool IsEnterOrEscape(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CAVConvertDlg::CAVConvertDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAVConvertDlg>())
{
    m_ui->setupUi(this);
    // A close button only: no minimise, no maximise, no help button (the
    // form fixes the size).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    m_fileProgress = m_ui->progress1011;
    m_batchProgress = m_ui->progress1012;
    m_fileText = m_ui->label1018;
    m_batchText = m_ui->label1019;
    // A long path gives way in its middle; the percentage always shows.
    m_fileText->SetPathElision(FileRowPathEnd);

    // Keys reach the focused child first; the buttons would take Enter.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    connect(m_ui->button1000, &QPushButton::clicked, this, &CAVConvertDlg::OnStop);
    connect(m_ui->check1148, &QCheckBox::clicked, this, &CAVConvertDlg::OnOpenFolderClicked);
}

CAVConvertDlg::~CAVConvertDlg() = default;

QCheckBox* CAVConvertDlg::OpenFolderCheck() const
{
    return m_ui->check1148;
}

QPushButton* CAVConvertDlg::StopButton() const
{
    return m_ui->button1000;
}

int CAVConvertDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CAVConvertDlg::OnInitDialog()
{
    // The settings and captions are read afresh at every open rather than
    // taken from the main dialog's copies.
    const std::string ini = SettingsFilePath();
    LanguageTexts texts;
    ReadLanguageTexts(LanguageFilePath(LanguageFileInUse(ini)), texts);
    m_ui->check1148->setChecked(ReadOpenFolderAfterBatch(ini));

    const QString tz = QString::fromStdString(texts.jiemian.tz);
    m_ui->button1000->setToolTip(tz);
    m_ui->static1158->setText(QString::fromStdString(texts.jiemian.dqwj));
    m_ui->static1159->setText(QString::fromStdString(texts.jiemian.zgwj));
    m_ui->button1000->setText(tz);
    m_ui->check1148->setText(QString::fromStdString(texts.jiemian.wcdkwjj));
    setWindowTitle(QString::fromStdString(texts.application.name));

    // Each batch starts from a fresh dialog, as a newly created window would.
    m_fileText->setText(QString());
    m_batchText->setText(QString());
    m_fileProgress->setValue(0);
    m_batchProgress->setValue(0);
    m_ui->check1148->setFocus();
    return true;
}

void CAVConvertDlg::EndDialog()
{
    if (m_owner) {
        m_owner->RequestCancel();
        QThread::msleep(100);
        if (m_owner->Timer1())
            m_owner->Timer1()->stop();
    }
    done(QDialog::Accepted);
}

void CAVConvertDlg::OnStop()
{
    EndDialog();
}

void CAVConvertDlg::OnClose()
{
    WriteOpenFolderAfterBatch(SettingsFilePath(), m_ui->check1148->isChecked());
    EndDialog();
}

void CAVConvertDlg::OnOpenFolderClicked()
{
    if (m_owner)
        m_owner->m_openFolderWhenDone = m_ui->check1148->isChecked();
}

void CAVConvertDlg::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        OnClose();
    event->accept();
}

void CAVConvertDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_fileText->SetBackgroundFlash(false);
}

void CAVConvertDlg::keyPressEvent(QKeyEvent* event)
{
    if (IsEnterOrEscape(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CAVConvertDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (IsEnterOrEscape(event))
        return true;
    return QDialog::eventFilter(watched, event);
}
