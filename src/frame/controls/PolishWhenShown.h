// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QWidget>

namespace tickwell {

// Qt polishes every new widget as soon as the event loop runs. The clock
// starts with its windows hidden; a control whose polish costs something
// (fitting its text to the fonts, drawing its picture) is polished with its
// window when that first shows, and its early request is passed over.
inline bool isEarlyPolishRequest(const QWidget& control, const QEvent& event)
{
    return event.type() == QEvent::PolishRequest && !control.window()->isVisible();
}

} // namespace tickwell
