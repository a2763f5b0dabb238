#pragma once

#include <QDialog>
#include <memory>

class CFennexAVConverterDlg;
class CLabel;
class QCheckBox;
class QProgressBar;
class QPushButton;

namespace Ui {
class CAVConvertDlg;
}

// The modal dialog shown while a batch runs: the file in work and the whole
// batch, each with a caption, a text and a bar, the "open the folder when
// done" box and the stop button. It computes nothing itself: the main
// dialog's timer writes its texts and bars and closes it at the end.
class CAVConvertDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAVConvertDlg(QWidget* parent = nullptr);
    ~CAVConvertDlg() override;

    // Set before DoModal; reached for the cancel request, timer 1 and the
    // open-folder flag.
    CFennexAVConverterDlg* m_owner = nullptr;

    // Initialises the dialog afresh and runs it until it ends itself.
    int DoModal();

    // Captions from the language file, the check box from [DIR] open, empty
    // texts and bars.
    bool OnInitDialog();

    // Stop button: cancel, stop the timer, end the dialog; the check box is
    // not saved.
    void OnStop();
    // Close box, and the timer's way of ending the dialog: saves the check
    // box to [DIR] open, then stops as OnStop does.
    void OnClose();
    void OnOpenFolderClicked();

    QProgressBar* m_fileProgress = nullptr;   // 1011
    QProgressBar* m_batchProgress = nullptr;  // 1012
    CLabel* m_fileText = nullptr;             // 1018
    CLabel* m_batchText = nullptr;            // 1019
    QCheckBox* OpenFolderCheck() const;       // 1148
    QPushButton* StopButton() const;          // 1000

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
