// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/MessageBoxes.h"

#include <chrono>
#include <functional>
#include <vector>

namespace tickwell::test {

struct ShownBox {
    QString text;
    MessageStyle style;
    QString title;
    QStringList choices = {}; // a question's
};

// Records every box instead of showing it. `whileOpen` runs as if the user
// were still looking at the box: a test can move the clock there, or let
// events happen that would arrive while a real box waits.
class FakeMessageBoxes final : public MessageBoxes {
public:
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> whileOpen;
    int open = 0;
    // Calls to bring the reminder on show to the front, and to close it.
    int raised = 0;
    int closedReminders = 0;
    int prepared = 0;
    std::chrono::milliseconds lastComesIn {};
    // Boxes asked for once the program ends are recorded here, not shown.
    bool closedAll = false;
    std::vector<ShownBox> afterClosing;
    // What the user answers a question: the index of a choice; -1 for the
    // last, the one Escape chooses.
    int answer = -1;

    using MessageBoxes::MsgBox;
    void MsgBox(const QString& text, MessageStyle style, const QString& title,
        const std::function<void()>& onScreen) override
    {
        if (closedAll) {
            afterClosing.push_back({ text, style, title, {} });
            return;
        }
        shown.push_back({ text, style, title, {} });
        const ShownBox box = shown.back();
        const int reminder = style == MessageStyle::SystemModal ? 1 : 0;
        ++open;
        m_openReminders += reminder;
        if (onScreen)
            onScreen();
        if (whileOpen)
            whileOpen(box);
        m_openReminders -= reminder;
        --open;
    }
    int Ask(const QString& text, const QString& title, const QStringList& choices) override
    {
        if (closedAll) {
            afterClosing.push_back({ text, MessageStyle::Question, title, choices });
            return int(choices.size()) - 1;
        }
        shown.push_back({ text, MessageStyle::Question, title, choices });
        const ShownBox box = shown.back();
        ++open;
        if (whileOpen)
            whileOpen(box);
        --open;
        return answer >= 0 && answer < choices.size() ? answer : int(choices.size()) - 1;
    }
    void raiseReminder() override { ++raised; }
    // (The box returns when `whileOpen` does.)
    void closeReminder() override
    {
        if (m_openReminders > 0)
            ++closedReminders;
    }
    void prepare(std::chrono::milliseconds comesIn) override
    {
        ++prepared;
        lastComesIn = comesIn;
    }
    void closeAll() override { closedAll = true; }

private:
    int m_openReminders = 0;
};

} // namespace tickwell::test
