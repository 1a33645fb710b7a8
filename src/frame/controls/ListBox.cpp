// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/ListBox.h"

#include <memory>
#include <utility>

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
    if (!entry)
        return {};
    // The row's own copy of its text, taken out rather than copied again:
    // the clock tick reads every row ten times a second.
    QVariant text = entry->data(Qt::DisplayRole);
    if (text.metaType() != QMetaType::fromType<QString>())
        return text.toString();
    return std::move(*static_cast<QString*>(text.data()));
}

void ListBox::setList(int row, const QString& text)
{
    if (QListWidgetItem* entry = item(row))
        entry->setText(text);
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
