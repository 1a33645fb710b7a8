// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QPushButton>

namespace tickwell {

// A push button. Space presses it, as everywhere, and so do Return and
// Enter while it has the focus.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    CommandButton(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry);

    // Where the window's font is wider than the one the button was sized
    // for, its caption gets a smaller size until it fits.
    void shrinkTextToFit();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitText();

    bool m_shrinkToFit = false;
    bool m_fitting = false;
};

} // namespace tickwell
