// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/ListBox.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>

#include <memory>
#include <utility>

namespace tickwell {

namespace {

constexpr int noteRole = Qt::UserRole + 1;

// Draws a row as usual, then its note right-aligned after the text, in the
// row's own text colour: it reads wherever the text does, selected or not,
// in any colour scheme.
class NoteDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QString note = index.data(noteRole).toString();
        if (note.isEmpty())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
        const int gap = 2 * item.fontMetrics.horizontalAdvance(QLatin1Char(' '));
        const QRect room
            = text.adjusted(margin + item.fontMetrics.horizontalAdvance(item.text) + gap, 0, -margin, 0);
        const QString shown = item.fontMetrics.elidedText(note, Qt::ElideRight, room.width());
        if (room.width() <= 0 || shown.isEmpty())
            return;
        const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (item.state & QStyle::State_Active)                                ? QPalette::Active
                                                                                 : QPalette::Inactive;
        painter->save();
        painter->setFont(item.font);
        painter->setPen(item.palette.color(
            group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(room, int(Qt::AlignRight | Qt::AlignVCenter), shown);
        painter->restore();
    }
};

} // namespace

ListBox::ListBox(QWidget* parent, const QString& name, TwipsRect geometry)
    : QListWidget(parent)
{
    place(*this, name, geometry);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new NoteDelegate(this));
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

void ListBox::setNote(int row, const QString& note)
{
    if (QListWidgetItem* entry = item(row))
        entry->setData(noteRole, note.isEmpty() ? QVariant() : QVariant(note));
}

QString ListBox::note(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(noteRole).toString() : QString();
}

} // namespace tickwell
