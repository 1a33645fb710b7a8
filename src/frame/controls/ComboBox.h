// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QComboBox>

namespace tickwell {

// A drop-down list the user picks from but cannot type into. Its click event
// follows every choice by the user and every setting of the selected item by
// code, even when the item stays the same.
class ComboBox : public QComboBox {
    Q_OBJECT

public:
    ComboBox(QWidget* parent, const QString& name, TwipsRect geometry);

    // The selected item, counted from 0; -1 for none.
    int listIndex() const { return currentIndex(); }
    void setListIndex(int index);
    // Appends an item, leaving the selected item as it was: the first item
    // added to an empty list is not selected by that. `value` goes with it, as
    // its data.
    void addItem(const QString& text, const QVariant& value = {});

Q_SIGNALS:
    void click();
};

} // namespace tickwell
