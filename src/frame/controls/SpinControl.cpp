// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/SpinControl.h"

#include "frame/controls/AccessibleInterfaces.h"

#include <QAccessibleValueChangeEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace tickwell {

SpinControl::SpinControl(
    QWidget* parent, const QString& name, TwipsRect geometry, int minimum, int maximum, int value)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_value(std::clamp(value, minimum, maximum))
{
    installAccessibleInterfaces();
    place(*this, name, geometry);
    setFocusPolicy(Qt::StrongFocus);
    // Held down, an arrow repeats like the desktop's own spin boxes.
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatRate, nullptr, this));
        step(m_pressed);
    });
}

void SpinControl::setValue(int value)
{
    value = std::clamp(value, m_minimum, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    if (m_buddy)
        m_buddy->setText(QString::number(value));
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, value);
        QAccessible::updateAccessibility(&event);
    }
    Q_EMIT change();
}

QSize SpinControl::sizeHint() const
{
    return { 13, 19 };
}

QRect SpinControl::buttonRect(Button button) const
{
    const int half = height() / 2;
    return button == Button::Up ? QRect(0, 0, width(), half) : QRect(0, half, width(), height() - half);
}

void SpinControl::step(Button button)
{
    if (button == Button::Up)
        stepUp();
    else if (button == Button::Down)
        stepDown();
}

void SpinControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const Button button : { Button::Up, Button::Down }) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = buttonRect(button);
        const bool atBound = button == Button::Up ? m_value >= m_maximum : m_value <= m_minimum;
        if (atBound || !isEnabled())
            option.state &= ~QStyle::State_Enabled;
        option.state |= m_pressed == button ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        QStyleOption arrow = option;
        arrow.rect = option.rect.adjusted(2, 1, -2, -1);
        style()->drawPrimitive(
            button == Button::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
            &painter, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void SpinControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = buttonRect(Button::Up).contains(event->position().toPoint()) ? Button::Up : Button::Down;
    step(m_pressed);
    m_repeat.start(style()->styleHint(QStyle::SH_SpinBox_ClickAutoRepeatThreshold, nullptr, this));
    update();
}

void SpinControl::mouseReleaseEvent(QMouseEvent*)
{
    m_pressed = Button::None;
    m_repeat.stop();
    update();
}

void SpinControl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
        stepUp();
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_PageDown:
        stepDown();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SpinControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_pressed = Button::None;
        m_repeat.stop();
    }
    QWidget::changeEvent(event);
}

} // namespace tickwell
