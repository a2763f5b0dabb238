#pragma once

#include "settings/PresetIndexes.h"
#include "ui/FileRows.h"
#include "ui/WindowAnchors.h"

#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CAVConvertDlg;  // forward declaration; the member below is a pointer
class CCheckListCtrl;
class CControlButton;
class CHyperLink;
class LanguageMenu;
class FolderAdder;
class QComboBox;
class QMenu;
class RowPictures;
class LargerPictures;
class SelectedRowView;
class QLabel;
class QRadioButton;
class QTimer;
class SessionSignals;
struct FileError;
struct FolderScanResult;
struct MediaProbe;
struct PositionOutcome;
struct PreparedBatch;
struct RefusedFile;
struct InputVerdict;
struct SessionPoll;

namespace Ui {
class CFennexAVConverterDlg;
}

// The application window: the file list, the rotation choice, the output
// folder and the start button. Window-level behaviour lives here; the file
// list's row texts come from FileRowTexts, the batch from
// CFennexAVConverterDlgBatch.cpp.
class CFennexAVConverterDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFennexAVConverterDlg(QWidget* parent = nullptr);
    ~CFennexAVConverterDlg() override;

    // Reads the settings and language texts and prepares every control.
    // Runs once, from the constructor.
    bool OnInitDialog();

    // Applies g_texts (after reading them from the language file) to the
    // title, the help link and the column headings.
    void LoadLanguageTexts();
    // Words every text of the window again from g_languageFile: title,
    // links, headings, labels, button captions, tooltips and the status of
    // the rows already listed. The language menu calls it after a switch.
    void RedrawLanguageTexts();

    // Copies the output-folder combo's text into m_outputFolder (save) or shows
    // m_outputFolder in the combo's edit field (!save).
    void DoDataExchange(bool save);

    // What closing the window does after the settings are written; the
    // program ends the process with exit code 0, tests replace it.
    std::function<void()> endProcess;

    // Closes the window as its close button does. A running batch is first
    // stopped as the stop button stops it, its inputs get their own names
    // back, and the window closes once the batch has ended (after any
    // message that ending shows). The program calls it on SIGTERM, SIGINT
    // and SIGHUP.
    void RequestClose();

    // The controls, by role.
    CControlButton* StartButton() const;
    CControlButton* RemoveButton() const;
    CControlButton* AddFilesButton() const;
    CControlButton* RemoveAllButton() const;
    CControlButton* BrowseButton() const;
    CControlButton* OpenFolderButton() const;
    CHyperLink* HelpLink() const;
    CHyperLink* AddFolderLink() const { return m_addFolderLink; }
    LanguageMenu* Languages() const { return m_languageMenu; }
    QComboBox* OutputCombo() const;
    QRadioButton* Rotate90Radio() const;
    QRadioButton* Rotate180Radio() const;
    QRadioButton* Rotate270Radio() const;

    // The preset indexes carried from start-up to close.
    const PresetIndexes& PresetIndex() const { return m_presetIndex; }

    // Adding files: each file is probed and every acceptable one added; one
    // message at the end names the refused ones and why. The Add dialog
    // opens in the folder files were last added from.
    void AddFilesByDialog();
    // Adds the paths of a drop (or any list of paths) as a drop does.
    void AddDroppedFiles(const QStringList& paths);
    // Removes the first selected row and selects its neighbour.
    void DeleteSelectedRow();
    void RemoveAllRows();
    // Gives row index a turn of its own in degrees (90, 180 or 270; 0 means
    // the row needs nothing and Start leaves it out), or with none lets it
    // follow the rotation group again. Its picture is redrawn at once.
    void SetRowTurn(int index, std::optional<int> turn);
    // The highlighted rows: each turned by degrees more than its turn now
    // (Ctrl+Right: 90, Ctrl+Left: -90), or all given the same turn.
    void TurnSelectedRows(int degrees);
    void SetSelectedRowsTurn(std::optional<int> turn);
    // The list's context menu: 90, 180, 270 clockwise, follow the group.
    QMenu* TurnMenu() const { return m_turnMenu; }
    // The pictures of the rows, decoded in the background.
    RowPictures& Pictures() const { return *m_pictures; }
    // Where row index's picture is drawn in the list's viewport (empty
    // while it has none); a click there turns the row a quarter more.
    QRect PictureRect(int index) const;
    // How row index's file is shown today ("90° · 720×1280", mirrored)
    // and its own turn, as its path's tip says under the path.
    QString RowCaption(int index) const;
    // The row's picture larger, now and after its turn, as its tooltip shows it.
    QString RowLargerView(int index) const;
    // The same view beside the highlighted row's picture, while one row is
    // highlighted and the list has the focus in the active window.
    SelectedRowView* SelectedView() const { return m_selectedView; }
    // Keeps a done or failed outcome a batch settled for row index and
    // shows it (a done row is unticked); other outcomes change nothing.
    // False when nothing changed.
    bool SettleRow(int index, const PositionOutcome& outcome);
    // Appends a row for a file the probe has just accepted, with its facts.
    void AppendFileRow(const QString& path, int row, const MediaProbe& facts);

    // Output folder row.
    void OnBrowse();
    void OnOpenFolder();
    // Inserts a folder into the combo's list in sorted place; equal entries
    // are kept, the new one after them.
    void InsertSortedFolder(const QString& folder);
    // A typed folder that a batch starts with is remembered as a browsed one
    // is: in the combo's list (once) and in setting.ini [PATH] name.
    void KeepTypedFolder(const QString& folder);
    // Start with a typed folder that does not exist (MayOfferToCreateFolder):
    // asks whether to create it, with its parents; true once it exists, false
    // when declined or when it could not be made (after the file-error box).
    bool OfferToCreateFolder(const QString& folder);

    // --- batch: start, progress and end (CFennexAVConverterDlgBatch.cpp) ---
public:
    void RequestCancel();  // asks the running batch to stop
    // Joins a worker still finishing after a stop, with the busy cursor.
    // Probing needs no wait: the probe shares nothing with a batch.
    void WaitForWorker();
    bool m_openFolderWhenDone =
        true;  // from [DIR] open at start-up; the progress dialog's check box changes it
    int preFileWaitMs = 500;  // the worker's pause before each file; tests shorten it
    QString m_outputFolder;   // exchanged with the output-folder combo (DoDataExchange(true) fills
                              // it from the combo before OnStart uses it)
    CCheckListCtrl* FileList() const;  // the file list (implemented in CFennexAVConverterDlg.cpp)
    // The rows the file list shows; a batch is built from them.
    const FileRows& Rows() const { return m_rows; }
    QTimer* PollTimer() const;  // paces the polls of a running batch; null before the first
    CAVConvertDlg* ProgressDialog() const;  // null before the first batch
    // The position the running (or last) batch's worker is on; -1 without
    // a batch.
    int BatchWorkerPosition() const;
    bool BatchWorkerRunning() const;
    // Start-up: gives inputs that a killed batch left under temporary names
    // their own names back and tells the user. Call once the settings are read.
    void RecoverInterruptedBatch();
public slots:
    void OnStart();  // the start button
private:
    class CBatchState;
    CBatchState& Batch();
    // The steps of OnStart.
    int ChosenTurn() const;
    bool MayStart(const BatchRows& chosen);
    bool Prepare(const BatchRows& chosen, PreparedBatch& prepared);
    void RunProgressDialog();
    void FinishBatch();
    // What a poll or the end of the batch found: output names, settled
    // rows and failed moves.
    void ShowSettled(const SessionPoll& poll);
    void ShowOutputNames(const std::vector<std::pair<int, std::string>>& names);
    void MarkSettledRows(const std::vector<int>& positions);
    void ShowFileErrors(const std::vector<FileError>& errors);
    void StopBatchWorker();          // the window is going away: stop and wait for a running batch
    CBatchState* m_batch = nullptr;  // a child object, created on first use
    CAVConvertDlg* m_progressDlg =
        nullptr;  // created by the batch code on first start, parented to the main dialog
    SessionSignals* m_sessionSignals = nullptr;  // created with the progress dialog
    // --- end of batch ---

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Enter and Escape never end the dialog.
    void accept() override;
    void reject() override;

private:
    void OnClose();
    // The window's controls keep their places against its edges as it grows.
    void HoldControlsToEdges();
    // Where and how large the window was when last closed ([WINDOW] place).
    void RestoreWindowPlace();
    void SaveWindowPlace() const;
    WindowAnchors m_anchors;
    // Adding a folder: every video inside it, looked for on a thread of its
    // own (FolderAdder); one message at the end.
    void SetUpFolderAdd();
    void ShowFolderAddTexts();
    void OnAddFolderLink();
    void AddScannedFolder(const FolderScanResult& result);
    CHyperLink* m_addFolderLink = nullptr;
    QLabel* m_scanLabel = nullptr;
    FolderAdder* m_folderAdder = nullptr;
    QString m_scanFolder;
    void SetUpFileList();
    void SetUpColours();
    void SetUpButtonFaces();
    void SetUpButtonCaptions();
    void SetUpTooltips();
    void SetUpAccessibleNames();
    void WatchDeleteKey();
    void ConnectControls();
    // Adds the files at paths in their order, checked on background
    // threads while the window handles its events; one message at the end
    // names the refused ones. Returns once all are listed.
    void AddPaths(const QStringList& paths);
    // Appends the rows of paths in their order, a few at a time every
    // kAddTurnMs, handling events in between; verdictOf(index) gives the
    // check of path index once it is done (none while it is not). False
    // when cut short by the application's end.
    bool AppendInTurns(const QStringList& paths,
                       const std::function<std::optional<InputVerdict>(std::size_t)>& verdictOf,
                       std::vector<RefusedFile>& refused);
    // Appends the row of a path whose check is done; false, with the path
    // and reason added to refused, when it is rejected.
    bool AppendChecked(const QString& path, int row, const InputVerdict& verdict,
                       std::vector<RefusedFile>& refused);
    void ShowRefused(const std::vector<RefusedFile>& refused);
    // The one place the list's cells are written: row index of the list
    // shows row index of m_rows.
    void ShowRow(int index);
    // The picture of row index and its caption, from its kept picture and
    // its turn; every row's when the rotation group changes.
    void ShowRowPicture(int index);
    void ShowAllPictures();
    void OnPictureReady(int id);
    void OnLargerPictureReady(int id);
    // The rows on screen get their pictures first.
    void PreferVisibleRows();
    void SetUpTurns();
    // Ticks the user changed in the list, into m_rows.
    void TakeChecks(int firstRow, int lastRow);
    // Widens or narrows the status column to its longest word and the
    // words its rows show now; the path column takes the rest of the list.
    void FitStatusColumn();

    std::unique_ptr<Ui::CFennexAVConverterDlg> m_ui;
    FileRows m_rows;
    PresetIndexes m_presetIndex{};
    QIcon m_icon;
    LanguageMenu* m_languageMenu = nullptr;  // a child object
    // Moving the window by a free spot: pending from the press until the
    // pointer has moved the drag distance, then moving until the button is
    // released or found no longer held.
    void EndWindowMove();
    bool m_movePending = false;
    bool m_moving = false;
    QPoint m_pressPosition;       // global
    QPoint m_dragOffset;          // pointer - window's top left
    QMenu* m_turnMenu = nullptr;  // a child object
    // The highlighted row's larger view: shown, moved or hidden once the
    // events in hand are handled, however many asked.
    void QueueSelectedView();
    void ShowSelectedView();
    SelectedRowView* m_selectedView = nullptr;  // a child object
    bool m_selectedViewQueued = false;
    // The picture of a row looked at larger, decoded again at that size.
    std::unique_ptr<LargerPictures> m_largerPictures;
    int m_hoveredRow = -1;  // the row whose larger view the tooltip shows
    // Last, so that its threads end before anything else goes.
    std::unique_ptr<RowPictures> m_pictures;
};
