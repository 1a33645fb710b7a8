// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/CommandButton.h"

#include "frame/controls/PolishWhenShown.h"
#include "frame/controls/TextFit.h"

#include <QKeyEvent>
#include <QStyle>

namespace tickwell {

CommandButton::CommandButton(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry)
    : QPushButton(caption, parent)
{
    place(*this, name, geometry);
    setAutoDefault(false);
}

void CommandButton::shrinkTextToFit()
{
    m_shrinkToFit = true;
    fitText();
}

void CommandButton::fitText()
{
    // Not before the window is about to show: measuring a text reads every
    // font on the machine, which a clock that starts hidden need not wait for.
    if (!testAttribute(Qt::WA_WState_Polished))
        return;
    m_fitting = true;
    // What the style keeps around a button's caption.
    const int frame = style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, this)
        + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int room = width() - frame;
    QFont base = parentWidget() ? parentWidget()->font() : font();
    setFont(largestFittingFont(base, [&](const QFont& candidate) {
        return QFontMetrics(candidate).size(Qt::TextShowMnemonic, text()).width() <= room;
    }));
    m_fitting = false;
}

bool CommandButton::event(QEvent* event)
{
    if (isEarlyPolishRequest(*this, *event))
        return true;
    const bool handled = QPushButton::event(event);
    if (event->type() == QEvent::Polish && m_shrinkToFit)
        fitText();
    return handled;
}

void CommandButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_shrinkToFit && !m_fitting)
        fitText();
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    // QPushButton takes Return only in a dialog's default buttons.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace tickwell
