// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"
#include "frame/controls/CommandButton.h"
#include "frame/controls/Label.h"
#include "frame/controls/TextBox.h"

#include <QDialog>

#include <optional>

namespace tickwell {

// The editor's custom repeat choice: the repetition typed in the words
// --repeat takes ("every 2 weeks on tue", "mon,wed,fri 10 times"). OK reads
// them; words that say no repetition are refused there, the reason shown,
// and the dialog stays open. Escape or Cancel leaves everything as it was.
class CustomRepeat final : public QDialog {
    Q_OBJECT

public:
    // Opens with `words` in the field, ready to be typed over.
    CustomRepeat(QWidget* parent, const QString& words);

    // The repetition OK accepted.
    std::optional<RepeatRule> rule() const { return m_rule; }

    void cmdOK_Click();

    Label lblWords;
    TextBox txtWords;
    Label lblExamples;
    Label lblFault;
    CommandButton cmdOK;
    CommandButton cmdCancel;

private:
    std::optional<RepeatRule> m_rule;
};

} // namespace tickwell
