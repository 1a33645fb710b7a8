// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFileFormat.h"
#include "frame/dates/DateValue.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tickwell {

// The alarm a skip at `when` means: the first at that minute that repeats
// (`repeats` says which do), with `reminder` where one is given. Otherwise
// why there is none: no alarm at all, or only alarms that do not repeat.
// The same on the running clock and on the file where none runs.
struct SeriesToSkip {
    std::optional<std::size_t> row;
    std::string refusal;
};
SeriesToSkip seriesToSkip(std::span<const AlarmRecord> alarms,
    const std::function<bool(std::size_t)>& repeats, DateValue when,
    const std::optional<std::string>& reminder);

} // namespace tickwell
