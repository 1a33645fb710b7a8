#pragma once

#include <QValidator>

namespace tickwell {

// Whatever reaches a text box other than by typing (pasted, dropped) keeps
// only its digits, and no more of them than the box holds.
class DigitsValidator : public QValidator {
    Q_OBJECT

public:
    DigitsValidator(int maxDigits, QObject* parent)
        : QValidator(parent)
        , m_maxDigits(maxDigits)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        QString digits;
        int digitsBeforeCursor = 0;
        for (qsizetype i = 0; i < input.size() && digits.size() < m_maxDigits; ++i) {
            if (!input[i].isDigit() || input[i].unicode() > '9')
                continue;
            digits += input[i];
            if (i < pos)
                ++digitsBeforeCursor;
        }
        input = digits;
        pos = digitsBeforeCursor;
        return Acceptable;
    }

private:
    int m_maxDigits;
};

} // namespace tickwell
