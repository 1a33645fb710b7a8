// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tickwell {

// The program's name on the desktop: its desktop entry is "<id>.desktop",
// its icon in the icon theme is "<id>", and the notification service and the
// window manager are told the same name.
inline constexpr char desktopId[] = "org.example.Tickwell";

} // namespace tickwell
