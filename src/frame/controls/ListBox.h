// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QListWidget>

namespace tickwell {

// A list of text rows with at most one selected row.
class ListBox : public QListWidget {
    Q_OBJECT

public:
    ListBox(QWidget* parent, const QString& name, TwipsRect geometry);

    int listCount() const { return count(); }
    QString list(int row) const;
    // The row's text replaced; its place and the selection stay.
    void setList(int row, const QString& text);
    // The selected row, -1 for none.
    int listIndex() const;
    // -1 removes the selection.
    void setListIndex(int row);
    // Rows below `row` move up; the list has no selected row afterwards.
    void removeItem(int row);

    // A note drawn at the end of a row, in the room its text leaves (cut
    // short where that is too little); the row's text, list(row), stays as
    // it is. An empty note draws nothing.
    void setNote(int row, const QString& note);
    QString note(int row) const;
};

} // namespace tickwell
