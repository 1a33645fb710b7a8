// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/PictureFrame.h"

#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/KeyCodes.h"

#include <QKeyEvent>

namespace tickwell {

PictureFrame::PictureFrame(QWidget* parent, const QString& name, TwipsRect geometry)
    : QFrame(parent)
{
    installAccessibleInterfaces();
    place(*this, name, geometry);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(1);
    // The roles, not colours: a dark colour scheme gives a dark field with
    // light text, never light text on white.
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);
    setAutoFillBackground(true);
}

void PictureFrame::keyPressEvent(QKeyEvent* event)
{
    const int originalCode = keyCodeOf(*event);
    int keyCode = originalCode;
    Q_EMIT keyDown(keyCode, shiftMaskOf(event->modifiers()));
    if (originalCode != 0 && keyCode == 0) {
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PictureFrame::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    Q_EMIT gotFocus();
}

void PictureFrame::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    Q_EMIT lostFocus();
}

} // namespace tickwell
