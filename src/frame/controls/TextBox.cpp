// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/TextBox.h"

#include "frame/controls/KeyCodes.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tickwell {

TextBox::TextBox(QWidget* parent, const QString& name, const QString& text, TwipsRect geometry)
    : QLineEdit(text, parent)
    , m_reportedText(text)
{
    place(*this, name, geometry);
    // A validator that refuses an edit puts the old text back, and the line
    // edit reports both steps; the change event is for real changes only.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
        if (now == m_reportedText)
            return;
        m_reportedText = now;
        Q_EMIT change();
    });
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const int originalCode = keyCodeOf(*event);
    int keyCode = originalCode;
    Q_EMIT keyDown(keyCode, shiftMaskOf(event->modifiers()));
    if (originalCode != 0 && keyCode == 0) {
        event->accept(); // the handler has taken the key
        return;
    }

    const int originalCharacter = characterCodeOf(*event);
    if (originalCharacter != 0) {
        int character = originalCharacter;
        Q_EMIT keyPress(character);
        if (character == 0) {
            event->accept();
            return;
        }
        if (character != originalCharacter) {
            insert(QString(QChar(char16_t(character))));
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
    // A held key repeats its key down and key press, but is released once.
    if (event->isAutoRepeat())
        return;
    int keyCode = keyCodeOf(*event);
    Q_EMIT keyUp(keyCode, shiftMaskOf(event->modifiers()));
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Focus moving to another control of the window, not the window itself
    // losing the focus to a menu, a message box or another program.
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        Q_EMIT lostFocus();
    }
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    Q_EMIT dblClick();
}

} // namespace tickwell
