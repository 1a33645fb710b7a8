// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tickwell {

// The program's pictures, compiled in from resources/. The only place that
// knows where they are kept.

// The tray icon while the clock is on, and the alarm editor's window icon.
QIcon activeClockIcon();
// The tray icon while the clock is off: greyed and struck through.
QIcon inactiveClockIcon();

// The About window's pictures, drawn for its black background: a 32 x 32
// emblem and a 144 x 40 banner with the program's name.
QPixmap aboutEmblem();
QPixmap aboutBanner();

} // namespace tickwell
