// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QCheckBox>

namespace tickwell {

// A box the user ticks or clears, by a click or by Space; clicked() follows
// every change by the user.
class CheckBox : public QCheckBox {
    Q_OBJECT

public:
    CheckBox(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry);

    bool value() const { return isChecked(); }
    void setValue(bool value) { setChecked(value); }
};

} // namespace tickwell
