#pragma once

#include "frame/desktop/MessageBoxes.h"

#include <functional>
#include <vector>

namespace tickwell::test {

struct ShownBox {
    QString text;
    MessageStyle style;
    QString title;
};

// Records every box instead of showing it. `whileOpen` runs as if the user
// were still looking at the box: a test can move the clock there, or let
// events happen that would arrive while a real box waits.
class FakeMessageBoxes final : public MessageBoxes {
public:
    std::vector<ShownBox> shown;
    std::function<void(const ShownBox&)> whileOpen;
    int open = 0;
    // Calls to bring the reminder on show to the front.
    int raised = 0;
    int prepared = 0;
    // Boxes asked for once the program ends are recorded here, not shown.
    bool closedAll = false;
    std::vector<ShownBox> afterClosing;

    using MessageBoxes::MsgBox;
    void MsgBox(const QString& text, MessageStyle style, const QString& title,
        const std::function<void()>& onScreen) override
    {
        if (closedAll) {
            afterClosing.push_back({ text, style, title });
            return;
        }
        shown.push_back({ text, style, title });
        const ShownBox box = shown.back();
        ++open;
        if (onScreen)
            onScreen();
        if (whileOpen)
            whileOpen(box);
        --open;
    }
    void raiseReminder() override { ++raised; }
    void prepare() override { ++prepared; }
    void closeAll() override { closedAll = true; }
};

} // namespace tickwell::test
