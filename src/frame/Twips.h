#pragma once

#include <QRect>

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

} // namespace tickwell
