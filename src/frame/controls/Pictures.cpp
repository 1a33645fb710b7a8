// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/Pictures.h"

namespace tickwell {

namespace {

// Drawn at its own size, and sharp on screens with more than one device pixel per pixel.
QPixmap picture(const QString& path, QSize size)
{
    return QIcon(path).pixmap(size);
}

} // namespace

QIcon activeClockIcon()
{
    return QIcon(QStringLiteral(":/icons/clock-active.svg"));
}

QIcon inactiveClockIcon()
{
    return QIcon(QStringLiteral(":/icons/clock-inactive.svg"));
}

QPixmap aboutEmblem()
{
    return picture(QStringLiteral(":/about/emblem.svg"), QSize(32, 32));
}

QPixmap aboutBanner()
{
    return picture(QStringLiteral(":/about/banner.svg"), QSize(144, 40));
}

} // namespace tickwell
