// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QTimer>
#include <QWidget>

class QLineEdit;

namespace tickwell {

// A pair of arrow buttons that steps a value by one between two bounds and
// keeps a buddy text box showing it. Each change of the value, by the arrows,
// the arrow keys or code, first writes the value into the buddy as decimal
// text (raising the buddy's change event), then raises the change event.
// Stepping stops at the bounds.
class SpinControl : public QWidget {
    Q_OBJECT

public:
    SpinControl(
        QWidget* parent, const QString& name, TwipsRect geometry, int minimum, int maximum, int value);

    void setBuddy(QLineEdit* buddy) { m_buddy = buddy; }

    int value() const noexcept { return m_value; }
    // Held within the bounds.
    void setValue(int value);
    int minimum() const noexcept { return m_minimum; }
    int maximum() const noexcept { return m_maximum; }

    void stepUp() { setValue(m_value + 1); }
    void stepDown() { setValue(m_value - 1); }

    QSize sizeHint() const override;

Q_SIGNALS:
    void change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Button {
        None,
        Up,
        Down,
    };
    QRect buttonRect(Button button) const;
    void step(Button button);

    int m_minimum;
    int m_maximum;
    int m_value;
    QLineEdit* m_buddy = nullptr;
    Button m_pressed = Button::None;
    QTimer m_repeat;
};

} // namespace tickwell
