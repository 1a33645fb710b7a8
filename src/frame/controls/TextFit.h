// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

#include <functional>

namespace tickwell {

// The layout was drawn for Tahoma at 8.25 points; where the window's font is
// wider, a control of fixed size gives its text a smaller size rather than
// losing the text's end. The result is the largest size of `font`, down to
// three quarters of it in steps of a quarter point, at which `fits` holds;
// three quarters if it holds at none (smaller would no longer be read).
QFont largestFittingFont(QFont font, const std::function<bool(const QFont&)>& fits);

} // namespace tickwell
