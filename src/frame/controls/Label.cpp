#include "frame/controls/Label.h"

#include <QMouseEvent>

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
    if (m_shrinkToFit)
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

void Label::shrinkTextToFit()
{
    m_shrinkToFit = true;
    fitText();
}

void Label::fitText()
{
    m_fitting = true;
    QFont fitted = parentWidget() ? parentWidget()->font() : font();
    fitted.setBold(font().bold());
    const qreal smallest = fitted.pointSizeF() * 0.75;
    setFont(fitted);
    const auto overflows
        = [this] { return wordWrap() ? heightForWidth(width()) > height() : sizeHint().width() > width(); };
    while (overflows() && fitted.pointSizeF() - 0.25 >= smallest) {
        fitted.setPointSizeF(fitted.pointSizeF() - 0.25);
        setFont(fitted);
    }
    m_fitting = false;
}

void Label::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_shrinkToFit && !m_fitting)
        fitText();
}

void Label::setBackColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
    setAutoFillBackground(color.alpha() == 255);
}

void Label::setForeColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
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
