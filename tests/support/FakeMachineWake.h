// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/MachineWake.h"

#include <optional>

namespace tickwell::test {

// Records the moment the machine would wake at, and how often it was asked.
class FakeMachineWake final : public MachineWake {
public:
    std::optional<Instant> moment;
    int asked = 0; // calls to wake or cancel

    void wakeMachineAt(Instant at) override
    {
        ++asked;
        moment = at;
    }
    void cancel() override
    {
        ++asked;
        moment.reset();
    }
};

} // namespace tickwell::test
