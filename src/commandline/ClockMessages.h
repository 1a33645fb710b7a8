// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"
#include "commandline/When.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tickwell {

// The lines between a command line and the clock of its alarm file's folder:
// one line of tab-separated fields each way, the text in the fields escaped
// as --list writes reminders (escaped() below). A line has one spelling, and
// anything that is not exactly what the writer writes is refused.
enum class CommandKind {
    Show, // a plain second start: show the editor
    Edit,
    Preferences,
    Activate,
    Deactivate,
    Quit,
    Add, // when, reminder
    List,
    Clear, // when, and a reminder if one was given
    Status,
    Skip, // when, and a reminder if one was given
};

struct ClockCommand {
    CommandKind kind = CommandKind::Show;
    std::optional<When> when; // Add, Clear and Skip
    std::optional<std::string> reminder; // Add: always; Clear and Skip: if given
    // The alarm file's name in its folder, at the end of its symbolic links:
    // one clock runs per folder, on one file in it.
    std::string file = "Alarm.dat";
    std::optional<RepeatRule> repeat = {}; // Add: how the alarm repeats, if it does

    friend bool operator==(const ClockCommand&, const ClockCommand&) = default;
};

// The clock's answer: any number of Alarm, State and Waiting lines, then one
// Ok or Refused. A shutdown has no last line: the clock's end is its answer.
enum class ReplyKind {
    Alarm, // when: its minute ("YYYY-MM-DD HH:MM"); text: the reminder; repeat
    State, // text: "on" or "off", the clock switched on or off
    Waiting, // text: what the command waits for
    // when: the minute an alarm was set for, or a skipped series goes on
    // at, if there is one
    Ok,
    Refused, // text: why
};

struct ClockReply {
    ReplyKind kind = ReplyKind::Ok;
    std::string when;
    std::string text;
    // Alarm: how it repeats, in the words --repeat takes; empty for an alarm
    // that does not.
    std::string repeat = {};

    bool endsAnswer() const noexcept { return kind == ReplyKind::Ok || kind == ReplyKind::Refused; }
    friend bool operator==(const ClockReply&, const ClockReply&) = default;
};

// No line is longer, its '\n' included: a reminder holds 128 characters.
inline constexpr std::size_t longestMessage = 4096;

// The line for `command`, ending in '\n'.
std::string encodeCommand(const ClockCommand& command);
// A line without its '\n'.
std::optional<ClockCommand> decodeCommand(std::string_view line);
std::string encodeReply(const ClockReply& reply);
std::optional<ClockReply> decodeReply(std::string_view line);

// A text on one line: its line breaks (CR LF, LF or CR) written as "\n", its
// tabs as "\t" and its backslashes as "\\". --list writes reminders so,
// --clear takes them so, and the fields of the lines above travel so.
std::string escaped(std::string_view text);
// The text back, its line breaks LF; none for a backslash that starts none
// of the three, or a line break or tab of its own.
std::optional<std::string> unescaped(std::string_view text);

// Splits what comes off a socket into lines.
class LineReader {
public:
    void add(std::string_view bytes) { m_bytes.append(bytes); }
    // The next whole line, without its '\n'; none until one has come, and
    // none ever again once a line longer than a message has come.
    std::optional<std::string> next();
    bool overlong() const noexcept { return m_overlong; }

private:
    std::string m_bytes;
    std::size_t m_start = 0; // where the lines not yet taken begin
    bool m_overlong = false;
};

} // namespace tickwell
