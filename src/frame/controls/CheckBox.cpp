// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/CheckBox.h"

namespace tickwell {

CheckBox::CheckBox(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry)
    : QCheckBox(caption, parent)
{
    place(*this, name, geometry);
}

} // namespace tickwell
