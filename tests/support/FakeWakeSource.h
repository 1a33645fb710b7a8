// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/WakeSource.h"

#include <optional>

namespace tickwell::test {

// Wakes that only record the moment asked for; the test wakes the timer
// itself, as the moment's coming or a jump of the wall clock would.
class FakeWakeSource final : public WakeSource {
public:
    std::optional<std::chrono::system_clock::time_point> moment;

    void wakeAt(std::chrono::system_clock::time_point at) override { moment = at; }
    void cancel() override { moment.reset(); }

    void wake() { Q_EMIT woken(); }
};

} // namespace tickwell::test
