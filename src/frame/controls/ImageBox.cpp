// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/ImageBox.h"

#include "frame/controls/PolishWhenShown.h"

namespace tickwell {

ImageBox::ImageBox(QWidget* parent, const QString& name, TwipsRect geometry)
    : QLabel(parent)
{
    place(*this, name, geometry);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
}

void ImageBox::setPicture(const QPixmap& picture)
{
    m_draw = nullptr;
    setPixmap(picture);
}

void ImageBox::setPicture(std::function<QPixmap()> draw)
{
    m_draw = std::move(draw);
    if (testAttribute(Qt::WA_WState_Polished))
        setPicture(m_draw());
}

QPixmap ImageBox::picture() const
{
    ensurePolished();
    return pixmap();
}

bool ImageBox::event(QEvent* event)
{
    if (isEarlyPolishRequest(*this, *event))
        return true;
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::Polish && m_draw)
        setPicture(m_draw());
    return handled;
}

} // namespace tickwell
