#pragma once

#include <QTreeWidget>

class CCheckHeadCtrl;

// Report list with a check box in every row and one in the header of the
// first column, which shows a tick exactly when every row is ticked.
//
// A row's check state has three values, as the header sees it: 0 no box,
// 1 empty box, 2 ticked box. A row without a box counts as ticked for the
// header, but GetCheck() reports it as not ticked.
class CCheckListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);

    // Puts the check box into the header; call once the columns exist.
    // Calling it again changes nothing. Always true.
    bool InitCheckHeader();
    CCheckHeadCtrl* CheckHeader() const { return m_header; }

    // List operations in the owner's terms; rows count from 0.
    int GetItemCount() const;
    int InsertItem(int row, const QString& text);  // new row, box empty
    void DeleteItem(int row);
    void DeleteAllItems();
    QString GetItemText(int row, int column) const;
    void SetItemText(int row, int column, const QString& text);
    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);

    // The three-valued state of a row (0 no box, 1 empty, 2 ticked); -1 for
    // a row that does not exist.
    int GetCheckImage(int row) const;
    void SetCheckImage(int row, int image);

signals:
    // The check boxes of rows firstRow to lastRow may have changed: one
    // box, or every box at once from the header.
    void ChecksChanged(int firstRow, int lastRow);

private:
    void OnItemStateChanged();
    void TickAll(int image);

    bool m_removingRows = false;
    CCheckHeadCtrl* m_header = nullptr;  // null until InitCheckHeader
};
