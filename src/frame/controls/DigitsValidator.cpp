// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/DigitsValidator.h"

namespace tickwell {

namespace {
bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

DigitsValidator::DigitsValidator(int maxDigits, QObject* parent)
    : QValidator(parent)
    , m_maxDigits(maxDigits)
{
}

QValidator::State DigitsValidator::validate(QString& input, int& pos) const
{
    // What the edit kept of the text before it, at either end, and what it put between.
    const QString& before = m_accepted;
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < input.size() && before[prefix] == input[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < input.size() - prefix
        && before[before.size() - 1 - suffix] == input[input.size() - 1 - suffix])
        ++suffix;

    QString kept;
    for (const QChar c : input.left(prefix))
        if (isDigit(c))
            kept += c;
    QString tail;
    for (const QChar c : input.right(suffix))
        if (isDigit(c))
            tail += c;
    qsizetype room = m_maxDigits - kept.size() - tail.size();
    for (const QChar c : input.mid(prefix, input.size() - prefix - suffix)) {
        if (isDigit(c) && room > 0) {
            kept += c;
            --room;
        }
    }
    pos = int(kept.size());
    input = (kept + tail).left(m_maxDigits);
    m_accepted = input;
    return Acceptable;
}

} // namespace tickwell
