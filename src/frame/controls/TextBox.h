// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QLineEdit>

namespace tickwell {

// A one-line text box with the events its handlers are written against, in
// the order of one key stroke: key down, key press, change, key up. The key
// codes are passed by reference: a key-press handler that sets the character
// code to 0 discards the character. The change event follows every change of
// the text, by the user or by code, before the changing code goes on.
class TextBox : public QLineEdit {
    Q_OBJECT

public:
    TextBox(QWidget* parent, const QString& name, const QString& text, TwipsRect geometry);

Q_SIGNALS:
    void keyDown(int& keyCode, int shift);
    void keyPress(int& keyAscii);
    void keyUp(int& keyCode, int shift);
    void change();
    void lostFocus();
    void dblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_reportedText;
};

} // namespace tickwell
