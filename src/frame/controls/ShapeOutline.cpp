// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/ShapeOutline.h"

#include <QPainter>

namespace tickwell {

ShapeOutline::ShapeOutline(
    QWidget* parent, const QString& name, TwipsRect geometry, QPalette::ColorRole colour)
    : QWidget(parent)
    , m_colour(colour)
{
    place(*this, name, geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeOutline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(m_colour), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tickwell
