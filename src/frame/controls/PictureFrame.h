// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QFrame>

namespace tickwell {

// A sunken frame that holds other controls; their places are relative to
// it. It has the colours of a text field: white, with black text, on a light
// desktop. A frame given a focus policy takes the focus itself and passes
// its keys on as key-down events (key code and shift state, as a text box
// does; a handler that sets the key code to 0 takes the key); for assistive
// technology it is then a list of the items inside it.
class PictureFrame : public QFrame {
    Q_OBJECT

public:
    PictureFrame(QWidget* parent, const QString& name, TwipsRect geometry);

Q_SIGNALS:
    void keyDown(int& keyCode, int shift);
    // Every time the frame gains or loses the focus, also with its window.
    void gotFocus();
    void lostFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace tickwell
