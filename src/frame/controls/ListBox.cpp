#include "frame/controls/ListBox.h"

#include <memory>

namespace tickwell {

ListBox::ListBox(QWidget* parent, const QString& name, TwipsRect geometry)
    : QListWidget(parent)
{
    place(*this, name, geometry);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

QString ListBox::list(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->text() : QString();
}

int ListBox::listIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::setListIndex(int row)
{
    if (row < 0 || row >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void ListBox::removeItem(int row)
{
    std::unique_ptr<QListWidgetItem> removed { takeItem(row) };
    clearSelection();
}

} // namespace tickwell
