// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The program's date and text services. Names are English whatever the
// desktop's language, and nothing here depends on the C locale.
namespace tickwell {

// The text without the blanks (spaces only) at either end.
std::string_view trimBlanks(std::string_view text) noexcept;

// 1 = January ... 12 = December; empty outside that range.
std::string_view monthName(int month) noexcept;
// 1 = Sunday ... 7 = Saturday; empty outside that range.
std::string_view weekdayName(int weekday) noexcept;

// "h:mm AMPM  dddd, mmmm d, yyyy", e.g. "9:05 PM  Friday, March 8, 2002".
std::string formatEntryPattern(DateValue value);

// `number` (not negative) as exactly `digits` decimal digits, zero-padded:
// the dates of the alarm file and of the command line.
void appendDigits(std::string& out, int number, int digits);
// "YYYY-MM-DD": the dates of the alarm file and of the command line.
void appendIsoDate(std::string& out, int year, int month, int day);

// The pattern "00": at least two digits, with a leading zero. The number is
// rounded to a whole number first, halves to even.
std::string formatTwoDigits(double number);

// Converts the three date texts the program makes, and nothing else:
//   "March 01, 1998"                  (the first of a month)
//   "March 8, 2002 9:05:00PM"         (the editor's fields)
//   "9:05 PM  March 8, 2002"          (an alarm entry without its weekday)
// Hour and minute have one or two digits; with AM hour 12 is midnight, with
// PM hours 1-11 gain 12. Blanks at either end are ignored. Fails for any
// other text and for texts that name no real date or time.
std::optional<DateValue> dateFromText(std::string_view text) noexcept;

// The date of a text in exactly the form formatEntryPattern() makes, whatever
// word stands for the weekday: "9:05 PM  Friday, March 8, 2002". Read in one
// pass, with no copy, for the clock tick, which reads every alarm's entry
// text ten times a second. Any other text gives no value here, and has to
// take the long way (ParseAlarmEntry); where this gives a value, that way
// gives the same.
std::optional<DateValue> dateFromEntryPattern(std::string_view text) noexcept;
std::optional<DateValue> dateFromEntryPattern(std::u16string_view text) noexcept;

// The decimal number at the start of the text. Blanks, tabs and line feeds are
// skipped wherever they stand; reading stops at the first character that
// cannot continue the number. Empty text, or text that begins otherwise, is 0.
double numberValue(std::string_view text) noexcept;

// To the nearest integer, halves to the even neighbour; fails out of range.
std::optional<std::int16_t> roundToInt16(double number) noexcept;
std::optional<std::int32_t> roundToInt32(double number) noexcept;

} // namespace tickwell
