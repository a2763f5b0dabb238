#include "ui/CFennexAVConverterDlg.h"

#include "ui_CFennexAVConverterDlg.h"

#include "batch/FileNames.h"
#include "batch/InputCheck.h"
#include "controls/BitmapResources.h"
#include "controls/ButtonCaption.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "controls/PathDelegate.h"
#include "engine/DisplayRotation.h"
#include "settings/AppFolders.h"
#include "settings/AppSettings.h"
#include "settings/HelpFile.h"
#include "settings/LanguageChoice.h"
#include "settings/LanguageTexts.h"
#include "ui/AddRefusalText.h"
#include "ui/DesktopHooks.h"
#include "ui/FailureText.h"
#include "ui/FileListColumns.h"
#include "ui/FileRowTexts.h"
#include "ui/FolderAdder.h"
#include "ui/FolderChoices.h"
#include "ui/InputChecksAhead.h"
#include "ui/LanguageMenu.h"
#include "ui/LargerPictures.h"
#include "ui/RowPictures.h"
#include "ui/RowStatus.h"
#include "ui/SelectedRowView.h"
#include "ui/StatusColumn.h"
#include "ui/WindowAnchors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const QColor kDialogColour(187, 222, 251);
const QColor kListColour(241, 250, 233);

// How often the rows of the files being added are appended; the window
// handles its events in between.
constexpr qint64 kAddTurnMs = 20;

constexpr int kColumnWidths[kColumnCount] = {155, 60, 90, 75, 70, 65, 40, 0, 0, 0};

// The room a row's picture is drawn in, before its path.
constexpr int kPictureSide = 40;
// The room of each picture of a row's larger view.
constexpr int kLargerSide = 200;

const char* const kMediaPatterns =
    "*.rm *.rmvb *.flv *.swf *.f4v *.mov *.qt *.avi *.mpg *.mpeg *.mod *.tod *.mts *.ts "
    "*.nut *.h264 *.nsv *.dv *.m2t *.vob *.dat *.mkv *.mp4 *.m4v *.3gp *.3g2 *.3gpp *.asf "
    "*.wmv *.wm";

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

CFennexAVConverterDlg::CFennexAVConverterDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFennexAVConverterDlg>())
{
    // Closing the window ends the process at once; nothing else is left to
    // clean up, and a worker thread must not outlive the job record's
    // destruction during a normal exit.
    endProcess = [] {
        std::fflush(nullptr);
        std::_Exit(0);
    };
    m_icon = QIcon(LoadBitmapResource(kApplicationIconId));
    m_pictures = std::make_unique<RowPictures>();
    m_largerPictures = std::make_unique<LargerPictures>();
    m_ui->setupUi(this);
    OnInitDialog();
}

CFennexAVConverterDlg::~CFennexAVConverterDlg()
{
    // The focus and the list's selection change as the controls go: no word
    // of it may reach a window that is half gone.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    disconnect(FileList(), nullptr, this, nullptr);
    StopBatchWorker();
}

bool CFennexAVConverterDlg::OnInitDialog()
{
    // The form's size is the window's default and its least; it may grow
    // and be maximised, the list taking the room.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(size());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    SetUpFolderAdd();
    HoldControlsToEdges();
    setAcceptDrops(true);
    // Every pointer move reaches the window, held button or not, so a move
    // of the window ends as soon as the button is found released.
    setMouseTracking(true);
    setWindowIcon(m_icon);

    const std::string ini = SettingsFilePath();
    g_languageFile = LanguageFileInUse(ini);
    m_outputFolder = Q(ReadOutputFolder(ini));
    m_openFolderWhenDone = ReadOpenFolderAfterBatch(ini);
    m_presetIndex = ReadPresetIndexes(ini);

    SetUpColours();
    SetUpFileList();
    LoadLanguageTexts();
    FitStatusColumn();
    SetUpTooltips();
    SetUpButtonFaces();
    SetUpAccessibleNames();
    m_languageMenu = new LanguageMenu(*HelpLink(), [this] { RedrawLanguageTexts(); });

    RestoreWindowPlace();
    RecoverInterruptedBatch();
    m_ui->rotate90Radio->setChecked(true);
    DoDataExchange(false);

    ConnectControls();
    WatchDeleteKey();
    m_ui->startButton->setFocus();
    return true;
}

void CFennexAVConverterDlg::HoldControlsToEdges()
{
    m_anchors = WindowAnchors(size());
    const Qt::Edges topRight = Qt::TopEdge | Qt::RightEdge;
    const Qt::Edges bottomLeft = Qt::BottomEdge | Qt::LeftEdge;
    const Qt::Edges bottomRight = Qt::BottomEdge | Qt::RightEdge;
    m_anchors.Hold(m_ui->fileList, Qt::TopEdge | Qt::LeftEdge | Qt::BottomEdge | Qt::RightEdge);
    // The buttons beside the list and the Help link keep to the right.
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->helpLink), static_cast<QWidget*>(m_addFolderLink),
          static_cast<QWidget*>(m_scanLabel), static_cast<QWidget*>(m_ui->removeButton),
          static_cast<QWidget*>(m_ui->addFilesButton),
          static_cast<QWidget*>(m_ui->removeAllButton)})
        m_anchors.Hold(widget, topRight);
    // The rotation group under the list; the output row along the bottom,
    // its folder field growing; Start in the corner.
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->rotationGroup), static_cast<QWidget*>(m_ui->rotate90Radio),
          static_cast<QWidget*>(m_ui->rotate180Radio), static_cast<QWidget*>(m_ui->rotate270Radio),
          static_cast<QWidget*>(m_ui->outputFolderLabel)})
        m_anchors.Hold(widget, bottomLeft);
    m_anchors.Hold(m_ui->outputFolderCombo, Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge);
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->browseButton), static_cast<QWidget*>(m_ui->openFolderButton),
          static_cast<QWidget*>(m_ui->startButton)})
        m_anchors.Hold(widget, bottomRight);
}

void CFennexAVConverterDlg::SetUpFolderAdd()
{
    // Under the list's buttons: the link, and while a folder is looked
    // through, how far it got.
    m_addFolderLink = new CHyperLink(this);
    m_addFolderLink->setObjectName(QStringLiteral("addFolderLink"));
    m_addFolderLink->SetFitToText(false);
    m_addFolderLink->setGeometry(566, 214, 112, 18);
    m_addFolderLink->SetUnderlineMode(1);
    m_addFolderLink->SetPointerCursor(nullptr);
    m_addFolderLink->SetOpener([this](const QString&) {
        OnAddFolderLink();
        return QString();
    });
    m_scanLabel = new QLabel(this);
    m_scanLabel->setObjectName(QStringLiteral("folderScanLabel"));
    m_scanLabel->setGeometry(566, 234, 112, 70);
    m_scanLabel->setWordWrap(true);
    m_scanLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scanLabel->hide();
    m_folderAdder = new FolderAdder(this);
    connect(m_folderAdder, &FolderAdder::progress, this, [this](const FolderScanProgress& state) {
        m_scanLabel->setText(Q(g_texts.window.folderScanning)
                                 .arg(static_cast<qulonglong>(state.folders))
                                 .arg(static_cast<qulonglong>(state.videos)));
    });
    connect(m_folderAdder, &FolderAdder::finished, this, &CFennexAVConverterDlg::AddScannedFolder);
}

void CFennexAVConverterDlg::ShowFolderAddTexts()
{
    const bool running = m_folderAdder->Running();
    const QString caption = Q(running ? g_texts.window.stopScanning : g_texts.window.addFolderLink);
    m_addFolderLink->setFont(HelpLink()->font());
    m_addFolderLink->setText(caption);
    // A link's tip shows its target; this one's opener takes no target,
    // so the tip says what the link does.
    m_addFolderLink->SetTarget(Q(g_texts.window.chooseAddFolder));
    m_addFolderLink->setAccessibleName(caption);
}

void CFennexAVConverterDlg::OnAddFolderLink()
{
    if (m_folderAdder->Running()) {
        m_folderAdder->Cancel();
        return;
    }
    const QString folder = Desktop().chooseFolder(this, Q(g_texts.window.chooseAddFolder));
    if (folder.isEmpty() || !m_folderAdder->Start(folder))
        return;
    m_scanFolder = folder;
    m_scanLabel->setText(Q(g_texts.window.folderScanning).arg(0).arg(0));
    m_scanLabel->show();
    ShowFolderAddTexts();
}

void CFennexAVConverterDlg::AddScannedFolder(const FolderScanResult& result)
{
    m_scanLabel->hide();
    ShowFolderAddTexts();
    // Listed in turns, as an add lists its files: a folder of a thousand
    // videos does not hold the window up either. Another folder may be
    // chosen meanwhile; this one's name is kept for its message.
    const QString folder = m_scanFolder;
    QStringList found;
    found.reserve(static_cast<qsizetype>(result.videos.size()));
    for (const ScannedFile& video : result.videos)
        found << Q(video.path);
    std::vector<RefusedFile> refused;
    const bool whole = AppendInTurns(
        found, [&result](std::size_t index) { return std::optional(result.videos[index].verdict); },
        refused);
    FitStatusColumn();
    if (!whole)
        return;
    if (result.rootError != 0) {
        InputVerdict verdict;
        verdict.rejection = InputVerdict::kCannotOpen;
        verdict.error = result.rootError;
        refused.push_back({folder, verdict});
    }
    for (const ScannedFile& file : result.refused)
        refused.push_back({Q(file.path), file.verdict});
    QString message = Q(g_texts.prompts.videosAddedFromFolders)
                          .arg(static_cast<qulonglong>(result.videos.size()))
                          .arg(static_cast<qulonglong>(result.folders));
    if (!refused.empty())
        message += QStringLiteral("\n\n") + RefusedFilesMessage(refused);
    Desktop().showMessage(this, message);
}

void CFennexAVConverterDlg::RestoreWindowPlace()
{
    const WindowPlace place = ReadWindowPlace(SettingsFilePath());
    if (!place.valid)
        return;
    const QRect wanted(place.x, place.y, std::max(place.width, minimumWidth()),
                       std::max(place.height, minimumHeight()));
    // Only where a screen still shows its title bar; otherwise at the
    // size remembered, where the desktop puts it.
    const QRect titleBar(wanted.topLeft(), QSize(wanted.width(), 20));
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(titleBar);
    if (onScreen)
        setGeometry(wanted);
    else
        resize(wanted.size());
    if (place.maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void CFennexAVConverterDlg::SaveWindowPlace() const
{
    const QRect normal =
        isMaximized() || normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlace place;
    place.x = normal.x();
    place.y = normal.y();
    place.width = normal.width();
    place.height = normal.height();
    place.maximised = isMaximized();
    place.valid = true;
    WriteWindowPlace(SettingsFilePath(), place);
}

void CFennexAVConverterDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_anchors.Apply(event->size());
    if (m_languageMenu)
        m_languageMenu->PlaceLink();
    if (m_selectedView)
        QueueSelectedView();
}

void CFennexAVConverterDlg::SetUpColours()
{
    QPalette dialogPalette = palette();
    dialogPalette.setColor(QPalette::Window, kDialogColour);
    setPalette(dialogPalette);
    setAutoFillBackground(true);

    QPalette listPalette = m_ui->fileList->palette();
    listPalette.setColor(QPalette::Base, kListColour);
    m_ui->fileList->setPalette(listPalette);

    // The combo keeps only its edit field: the folders of its list are
    // stepped through with the arrow keys.
    m_ui->outputFolderCombo->setStyleSheet(QStringLiteral(
        "QComboBox { background: white; border: 1px solid #7a9cc6; padding-left: 2px; }"
        "QComboBox::drop-down { width: 0px; border: none; }"
        "QComboBox::down-arrow { image: none; width: 0px; }"));
}

void CFennexAVConverterDlg::SetUpFileList()
{
    CCheckListCtrl* list = FileList();
    list->setColumnCount(kColumnCount);
    list->InitCheckHeader();
    list->setIconSize(QSize(kPictureSide, kPictureSide));
    // Long paths give way in their middle, so the file names stay in sight.
    list->setItemDelegateForColumn(kColumnPath, new PathDelegate(list));
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < kColumnCount; ++column) {
        if (kColumnWidths[column] == 0)
            list->setColumnHidden(column, true);
        else
            list->setColumnWidth(column, kColumnWidths[column]);
    }
    // The paths take what the other columns leave of the list, so that the
    // status column is in sight whole, however wide its words are.
    header->setSectionResizeMode(kColumnPath, QHeaderView::Stretch);
    connect(list, &CCheckListCtrl::ChecksChanged, this, &CFennexAVConverterDlg::TakeChecks);
    SetUpTurns();
}

void CFennexAVConverterDlg::FitStatusColumn()
{
    CCheckListCtrl* list = FileList();
    QStringList texts = StatusWords();
    for (int index = 0; index < m_rows.Count(); ++index) {
        const QString status = RowStatusText(RowStatusOf(m_rows.At(index).outcome));
        if (!texts.contains(status))
            texts << status;
    }
    // Widths round up: the style cuts a text that is a fraction of a pixel
    // wider than its room.
    const auto widthIn = [](const QFont& font) {
        return [metrics = QFontMetricsF(font)](const QString& text) {
            return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
        };
    };
    // The style draws a cell's text inside a margin on either side; the
    // grid line takes a pixel of the right one.
    QStyle* style = list->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    int width = FittingColumnWidth(texts, widthIn(list->font()), 2 * margin + 1,
                                   kColumnWidths[kColumnStatus]);
    // The heading, inside the header's margins.
    QHeaderView* header = list->header();
    const int headerMargin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    width = FittingColumnWidth({Q(g_texts.window.statusColumn)}, widthIn(header->font()),
                               2 * headerMargin + 1, width);
    if (list->columnWidth(kColumnStatus) != width)
        list->setColumnWidth(kColumnStatus, width);
}

void CFennexAVConverterDlg::LoadLanguageTexts()
{
    ReadLanguageTexts(LanguageFilePath(), g_texts);

    CHyperLink* link = HelpLink();
    link->setText(Q(g_texts.window.helpLink));
    QFont linkFont = link->font();
    linkFont.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans"),
                          QStringLiteral("WenQuanYi Micro Hei")});
    linkFont.setPointSize(10);
    link->setFont(linkFont);
    link->SetTarget(Q(HelpTarget(g_texts.application.url)));
    link->SetUnderlineMode(1);
    link->SetPointerCursor(nullptr);

    const LanguageTexts::Window& labels = g_texts.window;
    const QString headings[kColumnCount] = {Q(labels.fileColumn),     Q(labels.formatColumn),
                                            Q(labels.durationColumn), Q(labels.sizeColumn),
                                            Q(labels.bitRateColumn),  Q(labels.frameRateColumn),
                                            Q(labels.statusColumn),   QStringLiteral("profile"),
                                            QStringLiteral("dst"),    QStringLiteral("src")};
    QTreeWidgetItem* headerItem = FileList()->headerItem();
    for (int column = 0; column < kColumnCount; ++column)
        headerItem->setText(column, headings[column]);
    if (m_turnMenu) {
        const QList<QAction*> actions = m_turnMenu->actions();
        const std::string* words[] = {&labels.turn90, &labels.turn180, &labels.turn270,
                                      &labels.followGroup};
        for (int k = 0; k < actions.size() && k < 4; ++k)
            actions[k]->setText(Q(*words[k]));
    }

    m_ui->rotationGroup->setTitle(Q(labels.rotationGroup));
    m_ui->rotate90Radio->setText(Q(labels.rotate90));
    m_ui->rotate180Radio->setText(Q(labels.rotate180));
    m_ui->rotate270Radio->setText(Q(labels.rotate270));
    m_ui->outputFolderLabel->setText(Q(labels.outputFolder));

    setWindowTitle(Q(g_texts.application.name) + QLatin1Char(' ') + Q(g_texts.application.version));
}

void CFennexAVConverterDlg::SetUpTooltips()
{
    // An empty text shows no tip.
    m_ui->startButton->setToolTip(Q(g_texts.tips.start));
    m_ui->fileList->setToolTip(Q(g_texts.tips.fileList));
    m_ui->removeButton->setToolTip(Q(g_texts.tips.remove));
    m_ui->addFilesButton->setToolTip(Q(g_texts.tips.addFiles));
    m_ui->removeAllButton->setToolTip(Q(g_texts.tips.removeAll));
}

void CFennexAVConverterDlg::SetUpButtonFaces()
{
    m_ui->browseButton->SetFace(kBrowseFace);
    m_ui->addFilesButton->SetFace(kAddFilesFace);
    m_ui->removeButton->SetFace(kRemoveFace);
    m_ui->removeAllButton->SetFace(kRemoveAllFace);
    m_ui->startButton->setEnabled(true);
    m_ui->startButton->SetFace(kStartFace);
    m_ui->startButton->update();
    m_ui->openFolderButton->SetFace(kOpenFolderFace);
    SetUpButtonCaptions();
}

void CFennexAVConverterDlg::SetUpButtonCaptions()
{
    // The artwork leaves room for the caption, drawn in the window's language.
    const LanguageTexts::Captions& captions = g_texts.captions;
    const ButtonCaptionStyle list = ButtonCaptionStyle::ListButton();
    m_ui->addFilesButton->SetCaption(Q(captions.addFiles), list);
    m_ui->removeButton->SetCaption(Q(captions.remove), list);
    m_ui->removeAllButton->SetCaption(Q(captions.removeAll), list);
    m_ui->startButton->SetCaption(Q(captions.start), ButtonCaptionStyle::StartButton());
    m_ui->openFolderButton->SetCaption(Q(captions.openFolder),
                                       ButtonCaptionStyle::SmallButton(96, true));
    m_ui->browseButton->SetCaption(Q(captions.browse), ButtonCaptionStyle::SmallButton(63, false));
    ShowFolderAddTexts();
}

void CFennexAVConverterDlg::RedrawLanguageTexts()
{
    LoadLanguageTexts();
    SetUpTooltips();
    SetUpButtonCaptions();
    SetUpAccessibleNames();
    for (int index = 0; index < m_rows.Count(); ++index)
        ShowRow(index);
    FitStatusColumn();
}

void CFennexAVConverterDlg::SetUpAccessibleNames()
{
    // A screen reader cannot read a caption painted over a bitmap: each
    // button is named by its caption, on one line.
    for (CControlButton* button : {m_ui->addFilesButton, m_ui->removeButton, m_ui->removeAllButton,
                                   m_ui->startButton, m_ui->openFolderButton, m_ui->browseButton})
        button->setAccessibleName(CaptionAsOneLine(button->text()));
}

void CFennexAVConverterDlg::ConnectControls()
{
    connect(m_ui->startButton, &QAbstractButton::clicked, this, &CFennexAVConverterDlg::OnStart);
    connect(m_ui->addFilesButton, &QAbstractButton::clicked, this,
            &CFennexAVConverterDlg::AddFilesByDialog);
    connect(m_ui->removeButton, &QAbstractButton::clicked, this,
            &CFennexAVConverterDlg::DeleteSelectedRow);
    connect(m_ui->removeAllButton, &QAbstractButton::clicked, this,
            &CFennexAVConverterDlg::RemoveAllRows);
    connect(m_ui->browseButton, &QAbstractButton::clicked, this, &CFennexAVConverterDlg::OnBrowse);
    connect(m_ui->openFolderButton, &QAbstractButton::clicked, this,
            &CFennexAVConverterDlg::OnOpenFolder);
}

void CFennexAVConverterDlg::WatchDeleteKey()
{
    // Delete removes a row wherever the focus is in this window, the
    // combo's edit field included, so the filter sits on every control.
    installEventFilter(this);
    const auto children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

bool CFennexAVConverterDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A click on a row's picture turns that row a quarter more.
    if (event->type() == QEvent::MouseButtonRelease && watched == FileList()->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const int index = FileList()->indexOfTopLevelItem(FileList()->itemAt(at));
        if (mouse->button() == Qt::LeftButton && index >= 0 && PictureRect(index).contains(at))
            SetRowTurn(index, m_rows.EffectiveTurn(index, ChosenTurn()) + 90);
    }
    // Hovering a row's picture shows it larger, now and after its turn.
    if (event->type() == QEvent::ToolTip && watched == FileList()->viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = FileList()->indexOfTopLevelItem(FileList()->itemAt(help->pos()));
        const bool onPicture = index >= 0 && PictureRect(index).contains(help->pos());
        // The highlighted row's view already stands beside its picture.
        if (onPicture && m_selectedView->isVisible() && m_selectedView->Row() == index)
            return true;
        const QString view = onPicture ? RowLargerView(index) : QString();
        if (!view.isEmpty()) {
            m_hoveredRow = index;
            m_selectedView->HideView();
            QToolTip::showText(help->globalPos(), view, FileList()->viewport(), PictureRect(index));
            return true;
        }
    }
    // Ctrl+Right and Ctrl+Left turn the highlighted rows a quarter.
    if (event->type() == QEvent::KeyPress && watched == FileList()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left)) {
            TurnSelectedRows(key->key() == Qt::Key_Right ? 90 : -90);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            DeleteSelectedRow();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFennexAVConverterDlg::DoDataExchange(bool save)
{
    if (save)
        m_outputFolder = m_ui->outputFolderCombo->currentText();
    else
        m_ui->outputFolderCombo->setEditText(m_outputFolder);
}

// --- controls -------------------------------------------------------------

CCheckListCtrl* CFennexAVConverterDlg::FileList() const
{
    return m_ui->fileList;
}
CControlButton* CFennexAVConverterDlg::StartButton() const
{
    return m_ui->startButton;
}
CControlButton* CFennexAVConverterDlg::RemoveButton() const
{
    return m_ui->removeButton;
}
CControlButton* CFennexAVConverterDlg::AddFilesButton() const
{
    return m_ui->addFilesButton;
}
CControlButton* CFennexAVConverterDlg::RemoveAllButton() const
{
    return m_ui->removeAllButton;
}
CControlButton* CFennexAVConverterDlg::BrowseButton() const
{
    return m_ui->browseButton;
}
CControlButton* CFennexAVConverterDlg::OpenFolderButton() const
{
    return m_ui->openFolderButton;
}
CHyperLink* CFennexAVConverterDlg::HelpLink() const
{
    return m_ui->helpLink;
}
QComboBox* CFennexAVConverterDlg::OutputCombo() const
{
    return m_ui->outputFolderCombo;
}
QRadioButton* CFennexAVConverterDlg::Rotate90Radio() const
{
    return m_ui->rotate90Radio;
}
QRadioButton* CFennexAVConverterDlg::Rotate180Radio() const
{
    return m_ui->rotate180Radio;
}
QRadioButton* CFennexAVConverterDlg::Rotate270Radio() const
{
    return m_ui->rotate270Radio;
}

// --- window behaviour -----------------------------------------------------

void CFennexAVConverterDlg::accept() {}

void CFennexAVConverterDlg::reject() {}

void CFennexAVConverterDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CFennexAVConverterDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
    OnClose();
}

void CFennexAVConverterDlg::OnClose()
{
    WritePresetIndexes(SettingsFilePath(), m_presetIndex);
    SaveWindowPlace();
    DoDataExchange(true);
    QDialog::done(QDialog::Accepted);
    if (endProcess)
        endProcess();
}

void CFennexAVConverterDlg::mousePressEvent(QMouseEvent* event)
{
    // A press on a free spot of the window may start moving it, once the
    // pointer moves far enough with the button held.
    if (event->button() == Qt::LeftButton) {
        m_movePending = true;
        m_moving = false;
        m_pressPosition = event->globalPosition().toPoint();
        m_dragOffset = m_pressPosition - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CFennexAVConverterDlg::mouseMoveEvent(QMouseEvent* event)
{
    // Without the button held nothing moves, whatever became of the press
    // (a release elsewhere, or one never delivered).
    if (!(event->buttons() & Qt::LeftButton)) {
        EndWindowMove();
        QDialog::mouseMoveEvent(event);
        return;
    }
    const QPoint pointer = event->globalPosition().toPoint();
    if (m_movePending &&
        (pointer - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        m_movePending = false;
        // The window manager moves the window when it can; it then keeps
        // the pointer until the button is released.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            event->accept();
            return;
        }
        m_moving = true;
    }
    if (m_moving) {
        move(pointer - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CFennexAVConverterDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EndWindowMove();
    QDialog::mouseReleaseEvent(event);
}

void CFennexAVConverterDlg::changeEvent(QEvent* event)
{
    // A window that loses the focus loses the pointer too.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        EndWindowMove();
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        QueueSelectedView();
    QDialog::changeEvent(event);
}

void CFennexAVConverterDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    QueueSelectedView();
}

void CFennexAVConverterDlg::EndWindowMove()
{
    m_movePending = false;
    m_moving = false;
}

// --- file list ------------------------------------------------------------

namespace {

QStringList LocalFiles(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    const auto urls = mime->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

}  // namespace

void CFennexAVConverterDlg::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void CFennexAVConverterDlg::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CFennexAVConverterDlg::dropEvent(QDropEvent* event)
{
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    AddDroppedFiles(paths);
}

void CFennexAVConverterDlg::AddDroppedFiles(const QStringList& paths)
{
    AddPaths(paths);
}

void CFennexAVConverterDlg::AddFilesByDialog()
{
    const QString filter = Q(g_texts.window.videoFilesFilter) + QStringLiteral(" (") +
                           QLatin1String(kMediaPatterns) + QStringLiteral(");;") +
                           Q(g_texts.window.allFilesFilter) + QStringLiteral(" (*)");
    const std::string ini = SettingsFilePath();
    const QString startFolder = AddDialogFolder(
        Q(ReadAddFolder(ini)), QStandardPaths::writableLocation(QStandardPaths::MoviesLocation),
        QDir::homePath());
    const QStringList paths = Desktop().chooseFiles(this, filter, startFolder);
    if (paths.isEmpty())
        return;
    // The next Add opens where these came from.
    const QString from = QFileInfo(paths.front()).absolutePath();
    if (ReadAddFolder(ini) != from.toStdString())
        WriteAddFolder(ini, from.toStdString());
    AddPaths(paths);
}

void CFennexAVConverterDlg::AddPaths(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // The files are probed on background threads while the window goes on
    // handling events; every kAddTurnMs it appends the rows of the files
    // checked so far, in the chosen order, for half that time at most.
    // Nothing here waits for a probe, so the window repaints and takes input
    // throughout a long add.
    std::vector<std::string> inputs;
    inputs.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths)
        inputs.push_back(path.toStdString());
    InputChecksAhead checks(std::move(inputs));
    std::vector<RefusedFile> refused;
    const bool whole = AppendInTurns(
        paths,
        [&checks](std::size_t index) {
            return checks.Take(index, std::chrono::steady_clock::now());
        },
        refused);
    // Cut short only when the application quits: no message then.
    if (whole)
        ShowRefused(refused);
}

bool CFennexAVConverterDlg::AppendInTurns(
    const QStringList& paths,
    const std::function<std::optional<InputVerdict>(std::size_t)>& verdictOf,
    std::vector<RefusedFile>& refused)
{
    const auto count = static_cast<std::size_t>(paths.size());
    std::size_t next = 0;
    QEventLoop adding;
    QTimer turn;
    turn.setInterval(static_cast<int>(kAddTurnMs));
    connect(&turn, &QTimer::timeout, &adding, [&] {
        using Clock = std::chrono::steady_clock;
        const auto until = Clock::now() + std::chrono::milliseconds(kAddTurnMs / 2);
        while (next < count && Clock::now() < until) {
            std::optional<InputVerdict> verdict = verdictOf(next);
            if (!verdict)
                break;
            AppendChecked(paths[static_cast<qsizetype>(next)], FileList()->GetItemCount(), *verdict,
                          refused);
            ++next;
        }
        if (next == count)
            adding.quit();
    });
    turn.start();
    adding.exec();
    return next == count;
}

bool CFennexAVConverterDlg::AppendChecked(const QString& path, int row, const InputVerdict& verdict,
                                          std::vector<RefusedFile>& refused)
{
    // A pipe or a device would hold the probe up for good: only readable
    // plain files got as far as the probe (CheckInput).
    if (!verdict.accepted()) {
        refused.push_back({path, verdict});
        return false;
    }
    AppendFileRow(path, row, verdict.facts);
    return true;
}

void CFennexAVConverterDlg::ShowRefused(const std::vector<RefusedFile>& refused)
{
    if (!refused.empty())
        Desktop().showMessage(this, RefusedFilesMessage(refused));
}

void CFennexAVConverterDlg::AppendFileRow(const QString& path, int row, const MediaProbe& facts)
{
    const ProbeFigures figures = FiguresOf(facts);
    CCheckListCtrl* list = FileList();
    if (QTreeWidgetItem* first = list->topLevelItem(0))
        first->setSelected(false);
    row = m_rows.Insert(row, path.toStdString(), figures);
    list->InsertItem(row, path);
    m_pictures->Request(m_rows.At(row).id, m_rows.At(row).path);
    ShowRow(row);
    list->viewport()->update();
}

void CFennexAVConverterDlg::SetRowTurn(int index, std::optional<int> turn)
{
    m_rows.SetTurn(index, turn);
    ShowRowPicture(index);
}

void CFennexAVConverterDlg::TurnSelectedRows(int degrees)
{
    const int group = ChosenTurn();
    CCheckListCtrl* list = FileList();
    for (int index = 0; index < m_rows.Count(); ++index)
        if (QTreeWidgetItem* item = list->topLevelItem(index); item && item->isSelected())
            SetRowTurn(index, m_rows.EffectiveTurn(index, group) + degrees);
}

void CFennexAVConverterDlg::SetSelectedRowsTurn(std::optional<int> turn)
{
    CCheckListCtrl* list = FileList();
    for (int index = 0; index < m_rows.Count(); ++index)
        if (QTreeWidgetItem* item = list->topLevelItem(index); item && item->isSelected())
            SetRowTurn(index, turn);
}

void CFennexAVConverterDlg::SetUpTurns()
{
    CCheckListCtrl* list = FileList();
    m_turnMenu = new QMenu(this);
    const std::optional<int> turns[] = {90, 180, 270, std::nullopt};
    for (const std::optional<int>& turn : turns) {
        QAction* action = m_turnMenu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, turn] { SetSelectedRowsTurn(turn); });
    }
    m_selectedView = new SelectedRowView(this);
    connect(list, &QTreeWidget::itemSelectionChanged, this,
            &CFennexAVConverterDlg::QueueSelectedView);
    connect(qApp, &QApplication::focusChanged, this, &CFennexAVConverterDlg::QueueSelectedView);
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CFennexAVConverterDlg::QueueSelectedView);
    connect(list->header(), &QHeaderView::sectionResized, this,
            &CFennexAVConverterDlg::QueueSelectedView);
    // The menu stands where the view may be: the view waits until it is gone.
    connect(m_turnMenu, &QMenu::aboutToShow, m_selectedView, &SelectedRowView::HideView);
    connect(m_turnMenu, &QMenu::aboutToHide, this, &CFennexAVConverterDlg::QueueSelectedView);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        // A right click on a row that is not highlighted turns that row.
        QTreeWidgetItem* item = list->itemAt(at);
        if (!item)
            return;
        if (!item->isSelected()) {
            list->clearSelection();
            item->setSelected(true);
        }
        m_turnMenu->popup(list->viewport()->mapToGlobal(at));
    });
    connect(m_pictures.get(), &RowPictures::pictureReady, this,
            &CFennexAVConverterDlg::OnPictureReady);
    connect(m_largerPictures.get(), &LargerPictures::pictureReady, this,
            &CFennexAVConverterDlg::OnLargerPictureReady);
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CFennexAVConverterDlg::PreferVisibleRows);
    for (QRadioButton* radio : {m_ui->rotate90Radio, m_ui->rotate180Radio, m_ui->rotate270Radio})
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                ShowAllPictures();
        });
}

void CFennexAVConverterDlg::QueueSelectedView()
{
    if (m_selectedViewQueued)
        return;
    m_selectedViewQueued = true;
    QTimer::singleShot(0, this, &CFennexAVConverterDlg::ShowSelectedView);
}

void CFennexAVConverterDlg::ShowSelectedView()
{
    m_selectedViewQueued = false;
    if (!m_selectedView)
        return;
    CCheckListCtrl* list = FileList();
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    const int index = selected.size() == 1 ? list->indexOfTopLevelItem(selected.front()) : -1;
    const QRect picture = index >= 0 ? PictureRect(index) : QRect();
    const bool inSight = !picture.isEmpty() && list->viewport()->rect().contains(picture);
    const bool attended = isActiveWindow() && list->hasFocus() && !m_turnMenu->isVisible();
    const QString view = inSight && attended ? RowLargerView(index) : QString();
    if (view.isEmpty()) {
        m_selectedView->HideView();
        return;
    }
    // Beside the path cell, so the row's own picture and caption stay in sight.
    QRect anchor = picture;
    anchor.setRight(list->header()->sectionViewportPosition(kColumnPath) +
                    list->columnWidth(kColumnPath) - 1);
    m_selectedView->ShowBeside(index, view,
                               anchor.translated(list->viewport()->mapToGlobal(QPoint())));
}

QRect CFennexAVConverterDlg::PictureRect(int index) const
{
    CCheckListCtrl* list = FileList();
    QTreeWidgetItem* item = list->topLevelItem(index);
    if (!item)
        return {};
    // Where the path cell's delegate draws the picture, after the row's box.
    const auto* delegate = qobject_cast<PathDelegate*>(list->itemDelegateForColumn(kColumnPath));
    if (!delegate)
        return {};
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.widget = list;
    option.rect = list->visualItemRect(item);
    option.rect.setWidth(list->columnWidth(kColumnPath));
    option.rect.moveLeft(list->header()->sectionViewportPosition(kColumnPath));
    option.decorationSize = list->iconSize();
    option.font = list->font();
    return delegate->PictureRect(option, list->indexFromItem(item, kColumnPath));
}

void CFennexAVConverterDlg::OnPictureReady(int id)
{
    ShowRowPicture(m_rows.IndexOf(id));
}

void CFennexAVConverterDlg::OnLargerPictureReady(int id)
{
    // The views of the row that show its small picture until now.
    const int index = m_rows.IndexOf(id);
    if (index < 0)
        return;
    if (m_selectedView->Row() == index)
        QueueSelectedView();
    QWidget* viewport = FileList()->viewport();
    const QRect picture = PictureRect(index);
    if (m_hoveredRow == index && QToolTip::isVisible() &&
        picture.contains(viewport->mapFromGlobal(QCursor::pos())))
        QToolTip::showText(QCursor::pos(), RowLargerView(index), viewport, picture);
}

void CFennexAVConverterDlg::ShowAllPictures()
{
    for (int index = 0; index < m_rows.Count(); ++index)
        ShowRowPicture(index);
}

void CFennexAVConverterDlg::PreferVisibleRows()
{
    CCheckListCtrl* list = FileList();
    QTreeWidgetItem* top = list->itemAt(0, 0);
    if (!top)
        return;
    std::vector<int> ids;
    const int height = list->viewport()->height();
    for (int index = list->indexOfTopLevelItem(top); index < m_rows.Count(); ++index) {
        QTreeWidgetItem* item = list->topLevelItem(index);
        if (!item || list->visualItemRect(item).top() > height)
            break;
        ids.push_back(m_rows.At(index).id);
    }
    m_pictures->PreferRows(ids);
}

namespace {

// A neutral picture for a row whose video cannot be shown.
QPixmap PlaceholderPicture()
{
    QPixmap pixmap(kPictureSide, kPictureSide * 9 / 16);
    pixmap.fill(QColor(200, 200, 200));
    QPainter painter(&pixmap);
    painter.setPen(QColor(150, 150, 150));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    painter.drawLine(pixmap.rect().topLeft(), pixmap.rect().bottomRight());
    painter.drawLine(pixmap.rect().bottomLeft(), pixmap.rect().topRight());
    return pixmap;
}

// Why a row has no picture, in the window's language.
QString NoPictureText(const VideoPicture& picture)
{
    const LanguageTexts& t = g_texts;
    switch (picture.failure) {
    case PictureFailure::kNoVideo:
        return Q(t.refusals.noVideoStream);
    case PictureFailure::kNoDecoder:
        return Q(t.window.noDecoderFor).arg(Q(picture.codec));
    case PictureFailure::kCannotOpen:
        return Q(t.refusals.notMedia);
    case PictureFailure::kUndecodable:
    case PictureFailure::kNone:
        break;
    }
    return Q(t.window.pictureUndecodable);
}

}  // namespace

void CFennexAVConverterDlg::ShowRowPicture(int index)
{
    CCheckListCtrl* list = FileList();
    QTreeWidgetItem* item = list->topLevelItem(index);
    if (!item || index < 0 || index >= m_rows.Count())
        return;
    const FileRow& row = m_rows.At(index);
    const std::shared_ptr<const VideoPicture> picture = m_pictures->Picture(row.id);
    const int turn = m_rows.EffectiveTurn(index, ChosenTurn());
    const QString caption = RowCaption(index);
    QString tip;
    QPixmap shown;
    if (picture && picture->ok()) {
        // As many pixels as the screen shows in the picture's room.
        const qreal ratio = list->devicePixelRatioF();
        shown = QPixmap::fromImage(ShownImage(*picture, turn))
                    .scaled(QSize(kPictureSide, kPictureSide) * ratio, Qt::KeepAspectRatio,
                            Qt::SmoothTransformation);
        shown.setDevicePixelRatio(ratio);
    } else if (picture) {
        shown = PlaceholderPicture();
        tip = NoPictureText(*picture);
    } else {
        shown = QPixmap(kPictureSide, kPictureSide * 9 / 16);
        shown.fill(Qt::transparent);
    }
    // The picture goes above the path, how the file is shown today and
    // the row's own turn beside it, in short lines. The path's tip holds
    // the whole path, the caption in full and why the file has no picture;
    // the picture size's tip the caption.
    QString lines = picture ? RotationLines(*picture, Q(g_texts.window.mirrored)) : QString();
    if (row.turn) {
        const int own = ReduceDegrees(*row.turn);
        lines += (lines.isEmpty() ? QString() : QStringLiteral("\n")) +
                 (own == 0 ? Q(g_texts.window.nothingToTurnShort)
                           : Q(g_texts.window.ownTurnShort).arg(own));
    }
    QString pathTip = Q(row.path);
    for (const QString& more : {caption, tip})
        if (!more.isEmpty())
            pathTip += '\n' + more;
    // As an icon, the picture stands in a square of the list's icon size
    // whatever its shape: every row is as tall, and the captions line up.
    item->setData(kColumnPath, Qt::DecorationRole, QIcon(shown));
    item->setData(kColumnPath, PathDelegate::kCaptionRole, lines);
    item->setData(kColumnPath, Qt::AccessibleDescriptionRole, caption);
    item->setToolTip(kColumnPath, pathTip);
    item->setToolTip(kColumnSize, caption);
    if (item->isSelected())
        QueueSelectedView();
}

QString CFennexAVConverterDlg::RowLargerView(int index) const
{
    if (index < 0 || index >= m_rows.Count())
        return {};
    const FileRow& row = m_rows.At(index);
    const std::shared_ptr<const VideoPicture> picture = m_pictures->Picture(row.id);
    if (!picture || !picture->ok())
        return {};
    // The row's small picture until its larger one is decoded.
    const qreal ratio = FileList()->devicePixelRatioF();
    const auto larger = m_largerPictures->Get(row.id, row.path, qCeil(kLargerSide * ratio));
    return NowAfterView(larger && larger->ok() ? *larger : *picture,
                        m_rows.EffectiveTurn(index, ChosenTurn()), Q(g_texts.window.nowView),
                        Q(g_texts.window.afterView), kLargerSide, ratio);
}

QString CFennexAVConverterDlg::RowCaption(int index) const
{
    if (index < 0 || index >= m_rows.Count())
        return {};
    const FileRow& row = m_rows.At(index);
    const std::shared_ptr<const VideoPicture> picture = m_pictures->Picture(row.id);
    QString caption = picture ? RotationCaption(*picture, Q(g_texts.window.mirrored)) : QString();
    if (row.turn) {
        const int turn = ReduceDegrees(*row.turn);
        const QString own =
            turn == 0 ? Q(g_texts.window.nothingToTurn) : Q(g_texts.window.ownTurn).arg(turn);
        caption = caption.isEmpty() ? own : caption + QStringLiteral(" \u00B7 ") + own;
    }
    return caption;
}

void CFennexAVConverterDlg::ShowRow(int index)
{
    CCheckListCtrl* list = FileList();
    QTreeWidgetItem* item = list->topLevelItem(index);
    if (!item || index >= m_rows.Count())
        return;
    const FileRow& row = m_rows.At(index);
    const QString path = Q(row.path);
    list->SetItemText(index, kColumnPath, path);
    list->SetItemText(index, kColumnExtension, Q(row.texts.extension));
    list->SetItemText(index, kColumnDuration, Q(row.texts.duration));
    list->SetItemText(index, kColumnSize, Q(row.texts.size));
    list->SetItemText(index, kColumnBitRate, Q(row.texts.bit_rate));
    list->SetItemText(index, kColumnFrameRate, Q(row.texts.frame_rate));
    ShowRowStatus(*item, RowStatusOf(row.outcome));
    list->SetItemText(index, kColumnProfile, Q(row.texts.profile));
    list->SetItemText(index, kColumnOutput, Q(row.output));
    list->SetCheck(index, row.ticked);
    ShowRowPicture(index);
}

void CFennexAVConverterDlg::TakeChecks(int firstRow, int lastRow)
{
    CCheckListCtrl* list = FileList();
    for (int row = std::max(firstRow, 0); row <= lastRow && row < m_rows.Count(); ++row)
        m_rows.SetTicked(row, list->GetCheck(row));
}

void CFennexAVConverterDlg::DeleteSelectedRow()
{
    CCheckListCtrl* list = FileList();
    const int count = list->GetItemCount();
    int removed = -1;
    for (int row = 0; row < count; ++row) {
        if (list->topLevelItem(row)->isSelected()) {
            removed = row;
            break;
        }
    }
    if (removed < 0)
        return;
    m_pictures->Drop(m_rows.At(removed).id);
    m_largerPictures->Drop(m_rows.At(removed).id);
    m_rows.Remove(removed);
    list->DeleteItem(removed);
    FitStatusColumn();
    const int left = list->GetItemCount();
    list->viewport()->update();
    if (left == 0)
        return;
    const int next = removed == left ? removed - 1 : removed;
    QTreeWidgetItem* item = list->topLevelItem(next);
    list->selectionModel()->setCurrentIndex(list->model()->index(next, 0),
                                            QItemSelectionModel::NoUpdate);
    item->setSelected(true);
    list->setFocus();
}

void CFennexAVConverterDlg::RemoveAllRows()
{
    for (int index = 0; index < m_rows.Count(); ++index) {
        m_pictures->Drop(m_rows.At(index).id);
        m_largerPictures->Drop(m_rows.At(index).id);
    }
    m_rows.Clear();
    FileList()->DeleteAllItems();
    FitStatusColumn();
}

// --- output folder --------------------------------------------------------

void CFennexAVConverterDlg::OnBrowse()
{
    const QString folder = Desktop().chooseFolder(this, Q(g_texts.window.chooseOutputFolder));
    if (folder.isEmpty())
        return;
    const std::string path = folder.toStdString();
    if (!PathExists(path))
        Desktop().showMessage(this, Q(g_texts.prompts.folderNotValid));
    if (!FolderWriteTest(path)) {
        Desktop().showMessage(this, Q(g_texts.prompts.folderNotWritableChosen));
        return;
    }
    m_outputFolder = folder;
    InsertSortedFolder(folder);
    WriteOutputFolder(SettingsFilePath(), path);
    DoDataExchange(false);
}

void CFennexAVConverterDlg::KeepTypedFolder(const QString& folder)
{
    // Kept as a browsed folder is, once; the list holds it once.
    QComboBox* combo = m_ui->outputFolderCombo;
    if (combo->findText(folder, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        InsertSortedFolder(folder);
    const std::string ini = SettingsFilePath();
    if (ReadOutputFolder(ini) != folder.toStdString())
        WriteOutputFolder(ini, folder.toStdString());
}

bool CFennexAVConverterDlg::OfferToCreateFolder(const QString& folder)
{
    if (!Desktop().askYesNo(this, Q(g_texts.prompts.createFolder).arg(folder)))
        return false;
    std::error_code error;
    std::filesystem::create_directories(folder.toStdString(), error);
    if (error) {
        Desktop().showFileError(this, folder, error.value());
        return false;
    }
    return true;
}

void CFennexAVConverterDlg::InsertSortedFolder(const QString& folder)
{
    QComboBox* combo = m_ui->outputFolderCombo;
    const QString shown = combo->currentText();
    int at = combo->count();
    for (int i = 0; i < combo->count(); ++i) {
        if (QString::compare(combo->itemText(i), folder, Qt::CaseInsensitive) > 0) {
            at = i;
            break;
        }
    }
    combo->insertItem(at, folder);
    // Inserting may select an entry; the edit field keeps its text.
    combo->setEditText(shown);
}

void CFennexAVConverterDlg::OnOpenFolder()
{
    Desktop().openWithDefaultHandler(m_ui->outputFolderCombo->currentText());
}
