// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QRadioButton>

namespace tickwell {

// One of a set of choices, the option buttons of one container: choosing
// one, by a click or with the arrow keys, clears the others; clicked()
// follows every choice by the user.
class OptionButton : public QRadioButton {
    Q_OBJECT

public:
    OptionButton(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry);

    bool value() const { return isChecked(); }
    void setValue(bool value) { setChecked(value); }
};

} // namespace tickwell
