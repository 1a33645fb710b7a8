// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/SessionEnd.h"

#include <QCoreApplication>
#include <QEvent>

namespace tickwell {

SessionEnd::SessionEnd(QObject* parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

SessionEnd::~SessionEnd()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool SessionEnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit)
        return QObject::eventFilter(watched, event);
    // Taken from the toolkit, which would close the windows and end the
    // event loop at once: the clock shuts down in its own order instead,
    // after a reminder on show has been closed.
    event->accept();
    Q_EMIT ending();
    return true;
}

} // namespace tickwell
