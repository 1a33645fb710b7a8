// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tickwell {

// What a later start of the program asks the clock that runs on its alarm
// file to do, as it travels between the two: one line of text, its fields
// separated by tabs, text escaped so that a reminder's line breaks and tabs
// cannot end a line or a field. The clock takes only whole, well-formed
// lines of a bounded size; anything else is dropped.
enum class CommandKind {
    Show, // a plain second start: show the editor
    Edit,
    Activate,
    Deactivate,
    Quit,
    Add, // when, reminder
    List,
    Clear, // when, and a reminder if one was given
};

struct ClockCommand {
    CommandKind kind = CommandKind::Show;
    std::string when; // Add and Clear: as given, "YYYY-MM-DD HH:MM" or "HH:MM"
    std::optional<std::string> reminder; // Add: always; Clear: if given (UTF-8)

    friend bool operator==(const ClockCommand&, const ClockCommand&) = default;
};

// The clock's answers: for List one Alarm line per alarm, then one Ok; for
// the others Ok, or Refused with the text of the refusal.
enum class ReplyKind {
    Alarm, // when ("YYYY-MM-DD HH:MM"), text: the reminder
    Ok,
    Refused, // text: why
};

struct ClockReply {
    ReplyKind kind = ReplyKind::Ok;
    std::string when;
    std::string text;

    friend bool operator==(const ClockReply&, const ClockReply&) = default;
};

// No line is longer, its '\n' included: a reminder holds 128 characters.
inline constexpr std::size_t longestMessage = 4096;

// The line for `command`, ending in '\n'.
std::string encodeCommand(const ClockCommand& command);
// A line without its '\n'; none for anything that is not exactly what
// encodeCommand() writes for some command, or is longer than longestMessage.
std::optional<ClockCommand> decodeCommand(std::string_view line);
std::string encodeReply(const ClockReply& reply);
std::optional<ClockReply> decodeReply(std::string_view line);

// WHEN as a user gives it: "YYYY-MM-DD HH:MM" (a real date, 24-hour time)
// or "HH:MM" alone; none for anything else.
struct WhenText {
    std::optional<DateParts> date; // year, month and day, if given
    int hour = 0;
    int minute = 0;
};
std::optional<WhenText> parseWhen(std::string_view text);
// The minute WHEN names at `now`: a date given as it stands; a time alone
// the next such minute, today, or tomorrow when today's has begun already.
std::optional<DateValue> resolveWhen(const WhenText& when, DateValue now);

// The minute an Add's or a Clear's WHEN names at `now`.
std::optional<DateValue> minuteOf(const ClockCommand& command, DateValue now);

// "YYYY-MM-DD HH:MM".
std::string isoMinute(DateValue value);
// One alarm as --list prints it: its minute ("YYYY-MM-DD HH:MM", as an
// Alarm answer carries it), a tab, and the reminder with its line breaks
// (CR LF, LF or CR) written as "\n", tabs as "\t" and backslashes as "\\".
std::string listLine(std::string_view minute, std::string_view reminder);

} // namespace tickwell
