#include "ui/CAVConvertDlg.h"

#include "controls/CLabel.h"
#include "settings/AppFolders.h"
#include "settings/AppSettings.h"
#include "settings/LanguageChoice.h"
#include "settings/LanguageTexts.h"
#include "ui/ProgressTexts.h"
#include "ui/SessionSignals.h"
#include "ui_CAVConvertDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

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
    // A long path gives way in its middle; the percentage always shows.
    m_ui->fileLine->SetPathElision(FileRowPathEnd);

    // Keys reach the focused child first; the buttons would take Enter.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    connect(m_ui->stopButton, &QPushButton::clicked, this, &CAVConvertDlg::OnStop);
    connect(m_ui->openFolderCheck, &QCheckBox::clicked, this, &CAVConvertDlg::OnOpenFolderClicked);
}

CAVConvertDlg::~CAVConvertDlg() = default;

QProgressBar* CAVConvertDlg::FileBar() const
{
    return m_ui->fileBar;
}

QProgressBar* CAVConvertDlg::BatchBar() const
{
    return m_ui->batchBar;
}

CLabel* CAVConvertDlg::FileLine() const
{
    return m_ui->fileLine;
}

CLabel* CAVConvertDlg::BatchLine() const
{
    return m_ui->batchLine;
}

QCheckBox* CAVConvertDlg::OpenFolderCheck() const
{
    return m_ui->openFolderCheck;
}

QPushButton* CAVConvertDlg::StopButton() const
{
    return m_ui->stopButton;
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
    m_ui->openFolderCheck->setChecked(ReadOpenFolderAfterBatch(ini));

    const QString tz = QString::fromStdString(texts.window.stop);
    m_ui->stopButton->setToolTip(tz);
    m_ui->fileCaption->setText(QString::fromStdString(texts.window.currentFile));
    m_ui->batchCaption->setText(QString::fromStdString(texts.window.overall));
    m_ui->stopButton->setText(tz);
    m_ui->openFolderCheck->setText(QString::fromStdString(texts.window.openFolderWhenDone));
    setWindowTitle(QString::fromStdString(texts.application.name));

    // Each batch starts from a fresh dialog, as a newly created window would.
    m_ui->fileLine->setText(QString());
    m_ui->batchLine->setText(QString());
    m_ui->fileBar->setValue(0);
    m_ui->batchBar->setValue(0);
    m_ui->openFolderCheck->setFocus();
    return true;
}

void CAVConvertDlg::ShowProgress(const ProgressView& view)
{
    const auto q = [](const std::string& text) { return QString::fromStdString(text); };
    if (view.updateFileLine) {
        m_ui->fileLine->setText(
            q(FileLabelText(view.path.toStdString(), view.filePercent, g_texts.prompts.fileDone)));
    }
    m_ui->batchLine->setText(q(BatchLabelText(view.doneCount, view.total, g_texts.prompts.batchOf,
                                              g_texts.prompts.filesDone)));
    m_ui->batchBar->setValue(view.batchPercent);
    if (view.updateFileBar)
        m_ui->fileBar->setValue(view.filePercent);
}

void CAVConvertDlg::EndDialog()
{
    emit stopRequested();
    QThread::msleep(100);
    done(QDialog::Accepted);
}

void CAVConvertDlg::OnStop()
{
    EndDialog();
}

void CAVConvertDlg::OnClose()
{
    WriteOpenFolderAfterBatch(SettingsFilePath(), m_ui->openFolderCheck->isChecked());
    EndDialog();
}

void CAVConvertDlg::OnOpenFolderClicked()
{
    emit openFolderWhenDoneChanged(m_ui->openFolderCheck->isChecked());
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
    m_ui->fileLine->SetBackgroundFlash(false);
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
