// SPDX-License-Identifier: GPL-3.0-or-later
// The text-to-date service on any text: a value it gives names a real minute,
// and every text shape of that minute gives exactly the same value.
#include "Check.h"

#include "frame/dates/DateText.h"

#include <cstdint>
#include <string>

using namespace tickwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = dateFromText(text);
    if (!value)
        return 0;
    const DateParts p = value->parts();
    check(p.second == 0, "a date text gave a value off the minute");
    check(DateValue::fromParts(p.year, p.month, p.day, p.hour, p.minute) == value,
        "a value not made from its parts");

    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    const std::string half = p.hour < 12 ? "AM" : "PM";
    const std::string date
        = std::string(monthName(p.month)) + " " + std::to_string(p.day) + ", " + std::to_string(p.year);
    const std::string minute = formatTwoDigits(p.minute);
    const std::string year = std::to_string(p.year);
    if (year.size() == 4) {
        check(dateFromText(std::to_string(hour12) + ":" + minute + " " + half + "  " + date) == value,
            "the entry shape gives another value");
        check(dateFromText(date + " " + std::to_string(hour12) + ":" + minute + ":00" + half) == value,
            "the fields' shape gives another value");
    }
    return 0;
}
