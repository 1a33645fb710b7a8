// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace tickwell {

// Tahoma at 8.25 points where the desktop has it, else the desktop's own
// sans-serif at that size.
QFont windowFont();

} // namespace tickwell
