// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/OptionButton.h"

namespace tickwell {

OptionButton::OptionButton(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry)
    : QRadioButton(caption, parent)
{
    place(*this, name, geometry);
}

} // namespace tickwell
