// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/Preferences.h"

namespace tickwell {

bool isValidRingTime(std::chrono::minutes ringTime) noexcept
{
    return ringTime.count() >= 0 && ringTime <= longestRingTime;
}

bool isValidSnooze(int minutes) noexcept
{
    return minutes >= shortestSnooze && minutes <= longestSnooze;
}

std::string minutesText(int minutes)
{
    const bool hours = minutes % 60 == 0 && minutes != 0;
    const int count = hours ? minutes / 60 : minutes;
    return std::to_string(count) + (hours ? " Hour" : " Minute") + (count == 1 ? "" : "s");
}

} // namespace tickwell
