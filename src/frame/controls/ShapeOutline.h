// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QPalette>
#include <QWidget>

namespace tickwell {

// A rectangle outline one pixel wide in one of the palette's colours. Two of
// them, the second a pixel right of and below the first in the light colour,
// draw an etched frame around a panel. Clicks go to whatever lies beneath.
class ShapeOutline : public QWidget {
    Q_OBJECT

public:
    ShapeOutline(QWidget* parent, const QString& name, TwipsRect geometry, QPalette::ColorRole colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPalette::ColorRole m_colour;
};

} // namespace tickwell
