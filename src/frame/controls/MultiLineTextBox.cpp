// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/MultiLineTextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace tickwell {

namespace {
// What a character of the box costs in the file: a line break is the two
// characters CR LF, a character outside the Basic Multilingual Plane is one
// although it takes two UTF-16 units, and every other character is one,
// format characters such as the zero-width space included.
qsizetype storedCost(const QString& text, qsizetype i)
{
    if (text[i] == QLatin1Char('\n'))
        return 2;
    return text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate() ? 0 : 1;
}

qsizetype storedLength(const QString& plain)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < plain.size(); ++i)
        length += storedCost(plain, i);
    return length;
}

// The keys whose text the box takes in, as the editor underneath would take
// them: every one of them goes through the limit.
bool insertsText(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse
        || (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}
} // namespace

MultiLineTextBox::MultiLineTextBox(QWidget* parent, const QString& name, TwipsRect geometry)
    : QPlainTextEdit(parent)
{
    place(*this, name, geometry);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

QString MultiLineTextBox::text() const
{
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void MultiLineTextBox::setText(const QString& text)
{
    QString plain = text;
    setPlainText(plain.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

qsizetype MultiLineTextBox::room() const
{
    if (m_maxLength <= 0)
        return std::numeric_limits<qsizetype>::max();
    const QString selected
        = textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return m_maxLength - (storedLength(toPlainText()) - storedLength(selected));
}

void MultiLineTextBox::insertLimited(QString insertion)
{
    // Every kind of line break the box turns into a new line is counted as
    // the CR LF it becomes.
    insertion.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QChar::LineSeparator, QLatin1Char('\n'))
        .replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    qsizetype free = room();
    qsizetype keep = 0;
    for (; keep < insertion.size(); ++keep) {
        const qsizetype cost = storedCost(insertion, keep);
        if (cost > free)
            break;
        free -= cost;
    }
    // Never split a character made of two UTF-16 units.
    if (keep > 0 && keep < insertion.size() && insertion[keep - 1].isHighSurrogate())
        --keep;
    if (keep > 0)
        textCursor().insertText(insertion.left(keep));
}

void MultiLineTextBox::keyPressEvent(QKeyEvent* event)
{
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = newLine ? QStringLiteral("\n") : event->text();
    if ((newLine || insertsText(*event)) && m_maxLength > 0) {
        insertLimited(typed);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineTextBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        insertLimited(source->text());
}

void MultiLineTextBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (m_maxLength > 0 && !event->commitString().isEmpty()) {
        insertLimited(event->commitString());
        QInputMethodEvent rest(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&rest);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void MultiLineTextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    Q_EMIT dblClick();
}

} // namespace tickwell
