#include "controls/CCheckListCtrl.h"

#include "controls/CCheckHeadCtrl.h"
#include "controls/GridLineDelegate.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

namespace {

constexpr Qt::ItemFlags kRowFlags =
    Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;

int ImageOf(const QTreeWidgetItem* item)
{
    const QVariant state = item->data(0, Qt::CheckStateRole);
    if (!state.isValid())
        return 0;
    return state.toInt() == Qt::Checked ? 2 : 1;
}

}  // namespace

CCheckListCtrl::CCheckListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setItemDelegate(new GridLineDelegate(this));

    // Only check-state changes count as row state changes; text edits do
    // not. Selection and focus moves re-evaluate the header too.
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (!roles.contains(Qt::CheckStateRole))
                    return;
                emit ChecksChanged(topLeft.row(), bottomRight.row());
                // One row just lost its tick: no scan can answer otherwise.
                if (topLeft.row() == bottomRight.row() && GetCheckImage(topLeft.row()) == 1 &&
                    m_header && !m_removingRows) {
                    m_header->SetImage(1);
                    return;
                }
                OnItemStateChanged();
            });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnItemStateChanged(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnItemStateChanged(); });
    // The selection moves that removing rows causes are not row changes:
    // the box keeps its image until a remaining row changes.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this] { m_removingRows = true; });
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] { m_removingRows = false; });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_removingRows = true; });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] { m_removingRows = false; });
}

bool CCheckListCtrl::InitCheckHeader()
{
    if (m_header)
        return true;
    auto* header = new CCheckHeadCtrl(this);
    // Keep the column layout the owner has set up.
    const QHeaderView* old = QTreeWidget::header();
    QList<int> widths;
    for (int i = 0; i < old->count(); ++i)
        widths.append(old->sectionSize(i));
    const bool stretchLast = old->stretchLastSection();
    const Qt::Alignment alignment = old->defaultAlignment();
    setHeader(header);
    header->setStretchLastSection(stretchLast);
    header->setDefaultAlignment(alignment);
    for (int i = 0; i < widths.size(); ++i)
        header->resizeSection(i, widths[i]);
    m_header = header;
    m_header->SetImage(1);
    connect(m_header, &CCheckHeadCtrl::OnHeaderItemClick, this, &CCheckListCtrl::TickAll);
    return true;
}

void CCheckListCtrl::TickAll(int image)
{
    const Qt::CheckState state = image == 2 ? Qt::Checked : Qt::Unchecked;
    const int count = topLevelItemCount();
    // Each row change would rescan the rows; with signals held back the
    // rows are set in one pass and the header is evaluated once at the end,
    // which leaves it as a row-by-row pass would.
    {
        const QSignalBlocker blocker(model());
        for (int row = 0; row < count; ++row)
            topLevelItem(row)->setCheckState(0, state);
    }
    viewport()->update();
    if (count > 0) {
        emit ChecksChanged(0, count - 1);
        OnItemStateChanged();
    }
}

void CCheckListCtrl::OnItemStateChanged()
{
    if (!m_header || m_removingRows)
        return;
    bool allTicked = true;
    const int count = topLevelItemCount();
    for (int row = 0; row < count; ++row) {
        if (ImageOf(topLevelItem(row)) == 1) {
            allTicked = false;
            break;
        }
    }
    m_header->SetImage(allTicked ? 2 : 1);
}

int CCheckListCtrl::GetItemCount() const
{
    return topLevelItemCount();
}

int CCheckListCtrl::InsertItem(int row, const QString& text)
{
    const int count = topLevelItemCount();
    if (row < 0 || row > count)
        row = count;
    auto* item = new QTreeWidgetItem;
    item->setFlags(kRowFlags);
    item->setText(0, text);
    item->setCheckState(0, Qt::Unchecked);
    insertTopLevelItem(row, item);
    return row;
}

void CCheckListCtrl::DeleteItem(int row)
{
    // Removing rows leaves the header box as it is; the next row change
    // or selection brings it up to date.
    delete takeTopLevelItem(row);
}

void CCheckListCtrl::DeleteAllItems()
{
    clear();
}

QString CCheckListCtrl::GetItemText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void CCheckListCtrl::SetItemText(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

bool CCheckListCtrl::GetCheck(int row) const
{
    return GetCheckImage(row) == 2;
}

void CCheckListCtrl::SetCheck(int row, bool checked)
{
    SetCheckImage(row, checked ? 2 : 1);
}

int CCheckListCtrl::GetCheckImage(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? ImageOf(item) : -1;
}

void CCheckListCtrl::SetCheckImage(int row, int image)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    if (image == 0)
        item->setData(0, Qt::CheckStateRole, QVariant());
    else
        item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
}
