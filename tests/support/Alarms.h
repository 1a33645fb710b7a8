// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFileFormat.h"
#include "alarms/Repetition.h"
#include "frame/dates/DateValue.h"

#include <cassert>
#include <string>

namespace tickwell::test {

// A date value the test knows to be valid.
inline DateValue at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const auto value = DateValue::fromParts(year, month, day, hour, minute, second);
    assert(value);
    return *value;
}

// One record of "Alarm.dat", as the program writes it.
inline std::string record(int year, int month, int day, int hour, int minute, const std::string& reminder)
{
    return formatAlarmRecord({ at(year, month, day, hour, minute), reminder });
}

// A rule without an end: every `interval` units, on `weekdays` for weeks.
inline RepeatRule every(RepeatUnit unit, int interval = 1, WeekdaySet weekdays = 0)
{
    RepeatRule rule;
    rule.unit = unit;
    rule.interval = interval;
    rule.weekdays = weekdays;
    return rule;
}

} // namespace tickwell::test
