// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmEntry.h"

#include "frame/dates/DateText.h"

#include <algorithm>
#include <array>
#include <string>

namespace tickwell {

std::string alarmEntryText(DateValue when)
{
    return formatEntryPattern(when);
}

namespace {

// The searches of std::string_view call into the C library for each match of
// the first character; entry texts are short enough for a plain loop to win.
std::size_t findTwoBlanks(std::string_view text) noexcept
{
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ' ' && text[i - 1] == ' ')
            return i - 1;
    }
    return std::string_view::npos;
}

std::size_t findComma(std::string_view text) noexcept
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',')
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::optional<DateValue> ParseAlarmEntry(std::string_view entry) noexcept
{
    // Positions count from 1 as in the steps they implement; 0 means "not found".
    const std::size_t twoBlanks = findTwoBlanks(entry);
    const std::size_t p = twoBlanks == std::string_view::npos ? 0 : twoBlanks + 1;

    const std::string_view timePart = trimBlanks(entry.substr(0, p));
    const std::string_view rest = entry.substr(timePart.size());

    const std::size_t comma = findComma(rest);
    const std::size_t q = comma == std::string_view::npos ? 0 : comma + 1;
    const std::string_view datePart = rest.substr(q);

    // Join "time part", one blank, "date part". Entry texts are short; the
    // stack buffer keeps the clock tick free of allocations.
    std::array<char, 96> buffer;
    const std::size_t joinedLength = timePart.size() + 1 + datePart.size();
    if (joinedLength > buffer.size()) {
        try {
            std::string joined;
            joined.reserve(joinedLength);
            joined.append(timePart).append(1, ' ').append(datePart);
            return dateFromText(joined);
        } catch (...) {
            return std::nullopt;
        }
    }
    char* out = buffer.data();
    out = std::copy(timePart.begin(), timePart.end(), out);
    *out++ = ' ';
    out = std::copy(datePart.begin(), datePart.end(), out);
    return dateFromText(std::string_view(buffer.data(), joinedLength));
}

std::string missedOccurrencesNote(long long passed, DateValue first)
{
    return "Missed " + std::to_string(passed) + " times, the first at " + alarmEntryText(first) + ".";
}

} // namespace tickwell
