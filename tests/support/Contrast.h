// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tickwell::test {

// WCAG's relative luminance of a colour, and the contrast ratio of two.
inline double luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

inline double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a control paints its text on: its own background if it fills it (a
// text field's style always does), else that of the nearest container that does.
inline QColor backgroundBehind(const QWidget& control)
{
    for (const QWidget* widget = &control; widget; widget = widget->parentWidget()) {
        if (widget->autoFillBackground() || qobject_cast<const QLineEdit*>(widget) || widget->isWindow())
            return widget->palette().color(widget->backgroundRole());
    }
    return {};
}

struct Painted {
    QColor background; // the commonest colour
    QColor ink; // the colour farthest from it in luminance
};

// The colours in the control's place in a picture of its whole window, at
// the picture's own scale.
inline Painted paintedColours(const QImage& window, const QWidget& control)
{
    const QRectF logical(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    const qreal scale = window.devicePixelRatio();
    const QRect place
        = QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect() & window.rect();
    const QImage image = window.copy(place);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb commonest = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(commonest))
            commonest = it.key();
    Painted painted { QColor(commonest), QColor(commonest) };
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (contrast(QColor(it.key()), painted.background) > contrast(painted.ink, painted.background))
            painted.ink = QColor(it.key());
    return painted;
}

} // namespace tickwell::test
