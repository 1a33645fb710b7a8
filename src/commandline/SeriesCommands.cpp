// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/SeriesCommands.h"

#include "alarms/AlarmChecks.h"
#include "commandline/When.h"

namespace tickwell {

SeriesToSkip seriesToSkip(std::span<const AlarmRecord> alarms,
    const std::function<bool(std::size_t)>& repeats, DateValue when,
    const std::optional<std::string>& reminder)
{
    bool oneShot = false;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        if (!alarmToClear(alarms.subspan(i, 1), when, reminder))
            continue;
        if (repeats(i))
            return { i, {} };
        oneShot = true;
    }
    const std::string minute = minuteText(when);
    if (!oneShot)
        return { std::nullopt, nothingToClear(minute, reminder.has_value()) };
    return { std::nullopt,
        "The alarm at " + minute + " does not repeat: there is nothing to skip. --clear clears it." };
}

} // namespace tickwell
