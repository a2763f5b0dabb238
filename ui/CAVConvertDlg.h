#pragma once

#include <QDialog>
#include <memory>

class CLabel;
class QCheckBox;
class QProgressBar;
class QPushButton;
struct ProgressView;

namespace Ui {
class CAVConvertDlg;
}

// The modal dialog shown while a batch runs: the file in work and the whole
// batch, each with a caption, a text and a bar, the "open the folder when
// done" box and the stop button. It computes nothing itself: it shows the
// progress the batch's SessionSignals report, closes when they report the
// end, and says through its own signals what the user asks of the batch.
class CAVConvertDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAVConvertDlg(QWidget* parent = nullptr);
    ~CAVConvertDlg() override;

    // Initialises the dialog afresh and runs it until it ends itself.
    int DoModal();

    // Captions from the language file, the check box from [DIR] open, empty
    // texts and bars.
    bool OnInitDialog();

    // Stop button: asks the batch to stop, ends the dialog; the check box
    // is not saved.
    void OnStop();
    // Close box, and the end of the batch: saves the check box to [DIR]
    // open, then stops as OnStop does.
    void OnClose();
    void OnOpenFolderClicked();

    // The file line and bar and the batch line and bar from one poll.
    void ShowProgress(const ProgressView& view);

    QProgressBar* FileBar() const;
    QProgressBar* BatchBar() const;
    CLabel* FileLine() const;
    CLabel* BatchLine() const;
    QCheckBox* OpenFolderCheck() const;
    QPushButton* StopButton() const;

signals:
    // The user (or the end of the batch) ends the dialog: the batch is to stop.
    void stopRequested();
    // The "open the folder when done" box was clicked.
    void openFolderWhenDoneChanged(bool open);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Enter and Escape never end the dialog.
    void accept() override {}
    void reject() override {}

private:
    void EndDialog();

    std::unique_ptr<Ui::CAVConvertDlg> m_ui;
};
