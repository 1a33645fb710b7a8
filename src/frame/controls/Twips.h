// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

namespace tickwell {

// The windows are laid out in twips, 15 to the logical pixel; Qt's device
// pixel ratio takes it from there on HiDPI screens.
inline constexpr int twipsPerPixel = 15;

constexpr int twips(int value) noexcept
{
    return value / twipsPerPixel;
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr QRect toPixels() const noexcept
    {
        return { twips(left), twips(top), twips(width), twips(height) };
    }
};

// Every control is named after itself, so that tests and screen readers
// find it, and stands where the window's layout puts it.
inline void place(QWidget& control, const QString& name, TwipsRect geometry)
{
    control.setObjectName(name);
    control.setGeometry(geometry.toPixels());
}

} // namespace tickwell
