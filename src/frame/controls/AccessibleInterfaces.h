// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>

class QWidget;

namespace tickwell {

// How screen readers and other assistive technology see the program's own
// controls where Qt's guess from the widget's class falls short: the spin
// control as a spin button with its value, a label the user presses as an
// item with a press action, a frame that takes the focus as a list of the
// items inside it, and each window as what it is. Installing them more than
// once does no harm; it must happen before a control is first looked at.
void installAccessibleInterfaces();

// Qt makes a control's interface as soon as the control has a text, before
// the control knows what it is for; this drops it, so that the next look
// makes the one that fits.
void forgetAccessibleInterface(QWidget& widget);

// `widget` is seen as playing `role`: for the windows, which Qt takes for a
// nameless part of something else.
void presentAs(QWidget& widget, QAccessible::Role role);

} // namespace tickwell
