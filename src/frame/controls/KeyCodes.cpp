// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/KeyCodes.h"

#include <QKeyEvent>

namespace tickwell {

int keyCodeOf(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (event.modifiers() & Qt::KeypadModifier)
            return 96 + (key - Qt::Key_0);
        return key; // '0'-'9' are 48-57 in both
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // 'A'-'Z' are 65-90 in both
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return KeyCode::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return KeyCode::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Return;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_Space:
        return KeyCode::Space;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return KeyCode::Delete;
    default:
        return 0;
    }
}

int shiftMaskOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? ShiftMask::Shift : 0)
        | (modifiers & Qt::ControlModifier ? ShiftMask::Ctrl : 0)
        | (modifiers & Qt::AltModifier ? ShiftMask::Alt : 0);
}

int characterCodeOf(const QKeyEvent& event)
{
    if (event.text().isEmpty() || event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    const char16_t c = event.text().front().unicode();
    if (c == 0x7F || c == '\t')
        return 0;
    if (c < 0x20 && c != KeyCode::Backspace && c != KeyCode::Return && c != KeyCode::Escape)
        return 0;
    return c;
}

} // namespace tickwell
