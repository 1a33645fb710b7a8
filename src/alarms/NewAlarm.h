// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tickwell {

// What Set Alarm says when it refuses an alarm, wherever the alarm comes
// from: the editor, or another start of the program on the command line.
inline constexpr std::string_view noDateRefusal = "No Alarm Time/Date has been selected.";
inline constexpr std::string_view pastRefusal = "The Alarm Time/Date you have chosen\r\nis in the past!";
inline constexpr std::string_view duplicateRefusal = "Alarm already exists for that Time/Date.";
inline constexpr std::string_view tooLongRefusal
    = "The reminder is too long: an alarm's reminder holds at most 128 characters.";
// The editor's reminder field takes no more; the file reads no more back.
inline constexpr std::size_t longestReminder = 128;
// An alarm set with an empty reminder gets this one.
inline constexpr std::string_view defaultReminder = "You were supposed to remember something!";

// A reminder's line breaks as the editor writes them: CR LF, whether it
// came with CR LF, LF or CR alone.
std::string editorLineBreaks(std::string_view text);

// The length of a UTF-8 text as the editor counts it, in UTF-16 units; a
// byte that is not UTF-8 counts as one.
std::size_t editorLength(std::string_view utf8);

} // namespace tickwell
