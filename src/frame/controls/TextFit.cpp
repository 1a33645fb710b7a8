// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/TextFit.h"

namespace tickwell {

QFont largestFittingFont(QFont font, const std::function<bool(const QFont&)>& fits)
{
    constexpr qreal step = 0.25;
    const qreal smallest = font.pointSizeF() * 0.75;
    while (!fits(font) && font.pointSizeF() - step >= smallest)
        font.setPointSizeF(font.pointSizeF() - step);
    return font;
}

} // namespace tickwell
