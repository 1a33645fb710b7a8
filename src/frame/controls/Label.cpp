// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/Label.h"

#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/PolishWhenShown.h"
#include "frame/controls/TextFit.h"

#include <QAccessibleEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace tickwell {

Label::Label(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry)
    : QLabel(caption, parent)
{
    place(*this, name, geometry);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Label::setCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    if (m_shrinkToFit && m_widestTexts.isEmpty())
        fitText();
    Q_EMIT change();
}

void Label::setBold(bool bold)
{
    if (bold == font().bold())
        return;
    QFont bolder = font();
    bolder.setBold(bold);
    setFont(bolder);
}

void Label::setBorderStyle(BorderStyle style)
{
    m_borderStyle = style;
    if (style == BorderStyle::FixedSingle) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

void Label::shrinkTextToFit(const QStringList& widest)
{
    m_shrinkToFit = true;
    m_widestTexts = widest;
    fitText();
}

void Label::fitText()
{
    // Not before the window is about to show: measuring a text reads every
    // font on the machine, which a clock that starts hidden need not wait for.
    if (!testAttribute(Qt::WA_WState_Polished))
        return;
    m_fitting = true;
    QFont base = parentWidget() ? parentWidget()->font() : font();
    base.setBold(font().bold());
    QStringList texts = m_widestTexts.isEmpty() ? QStringList { text() } : m_widestTexts;
    if (!wordWrap() && texts.size() > 1) {
        // The widest at full size is the widest at every size: only it is fitted.
        const QFontMetrics metrics(base);
        QString widest;
        int widestWidth = -1;
        for (const QString& text : std::as_const(texts)) {
            if (const int width = metrics.horizontalAdvance(text); width > widestWidth) {
                widest = text;
                widestWidth = width;
            }
        }
        texts = QStringList { widest };
    }
    const QRect room = contentsRect();
    const int flags = int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
    setFont(largestFittingFont(base, [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        return std::all_of(texts.cbegin(), texts.cend(), [&](const QString& text) {
            const QRect needed
                = metrics.boundingRect(QRect(0, 0, room.width(), QWIDGETSIZE_MAX), flags, text);
            return needed.width() <= room.width() && needed.height() <= room.height();
        });
    }));
    m_fitting = false;
}

void Label::setSelectable()
{
    m_selectable = true;
    // A selectable text is laid out at once, which reads every font on the
    // machine: not before the window is about to show.
    if (testAttribute(Qt::WA_WState_Polished))
        setTextInteractionFlags(Qt::TextSelectableByMouse);
}

bool Label::event(QEvent* event)
{
    if (isEarlyPolishRequest(*this, *event))
        return true;
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::Polish) {
        if (m_selectable)
            setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (m_shrinkToFit)
            fitText();
    }
    return handled;
}

void Label::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_shrinkToFit && !m_fitting)
        fitText();
}

// A colour of its own, whatever colours the label would take from the
// frame it lies in.
void Label::setBackColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(color.alpha() == 255);
}

void Label::setForeColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
    setForegroundRole(QPalette::WindowText);
}

void Label::setLabelFor(QWidget& control)
{
    setBuddy(&control);
    QString name = caption().trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    control.setAccessibleName(name.trimmed());
}

void Label::setPressable(QAccessible::Role role)
{
    installAccessibleInterfaces();
    m_pressableRole = role;
    forgetAccessibleInterface(*this);
}

void Label::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void Label::setFocusMark(bool mark)
{
    if (mark == m_focusMark)
        return;
    m_focusMark = mark;
    update();
    if (!mark)
        return;
    // Told once the event at hand is over: when the container has just
    // taken the focus, Qt tells of that afterwards, and the item, not its
    // container, is to end up with the focus for assistive technology.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_focusMark) {
                QAccessibleEvent event(this, QAccessible::Focus);
                QAccessible::updateAccessibility(&event);
            }
        },
        Qt::QueuedConnection);
}

void Label::paintEvent(QPaintEvent* event)
{
    if (m_focusMark) {
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        // Drawn whether the focus came by key or by mouse.
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        focus.backgroundColor = palette().color(backgroundRole());
        focus.rect = contentsRect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    QLabel::paintEvent(event);
}

void Label::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (clicked)
        Q_EMIT click();
}

} // namespace tickwell
