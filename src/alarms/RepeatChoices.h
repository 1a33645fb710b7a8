// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tickwell {

// The ready choices of the editor's repeat list, in the order it shows them,
// each with the words it stands for, as --repeat takes them. "Never" stands
// for no repetition; the rest, custom words say.
struct RepeatChoice {
    std::string_view text;
    std::string_view words;
};

inline constexpr std::array<RepeatChoice, 7> readyRepeatChoices { {
    { "Never", "" },
    { "Every Day", "daily" },
    { "Weekdays", "weekdays" },
    { "Weekends", "weekends" },
    { "Every Week", "weekly" },
    { "Every Month", "monthly" },
    { "Every Year", "yearly" },
} };

// The ready choice that says `rule` (none: "Never"); none when only custom
// words say it, "every 2 weeks" or "weekdays 10 times".
std::optional<std::size_t> readyChoiceFor(const std::optional<RepeatRule>& rule);

} // namespace tickwell
