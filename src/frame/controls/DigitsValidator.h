// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QValidator>

namespace tickwell {

// Holds a text box to at most `maxDigits` digits and nothing else. Typed
// characters that would overflow it are refused, as a length limit does;
// text that arrives otherwise (pasted, dropped) keeps only its digits, as
// many of them as there is room for.
class DigitsValidator : public QValidator {
    Q_OBJECT

public:
    DigitsValidator(int maxDigits, QObject* parent);

    State validate(QString& input, int& pos) const override;

private:
    int m_maxDigits;
    // The text last let through, to tell what an edit inserted.
    mutable QString m_accepted;
};

} // namespace tickwell
