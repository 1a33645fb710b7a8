// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tickwell {

// WHEN as the command line takes it: "YYYY-MM-DD H:MM", or the time "H:MM"
// alone; local, on the 24-hour clock, the hour of one digit or two.
struct When {
    std::optional<DateParts> date; // year, month and day, if given
    int hour = 0;
    int minute = 0;

    friend bool operator==(const When&, const When&) = default;
};

// None for anything else, a date that does not exist included.
std::optional<When> parseWhen(std::string_view text);
// WHEN's one spelling, the hour of two digits: the way it travels to the clock.
std::string whenText(const When& when);
// A minute as the command line writes it, "YYYY-MM-DD HH:MM": WHEN's
// spelling of it.
std::string minuteText(DateValue value);
// The minute WHEN names at `now`: a date given as it stands; a time alone
// the next such minute, today, or tomorrow when today's has begun already.
std::optional<DateValue> resolveWhen(const When& when, DateValue now);

} // namespace tickwell
