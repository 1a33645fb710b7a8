// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "preferences/Preferences.h"

#include <string>
#include <string_view>
#include <vector>

namespace tickwell {

// The preferences as the clock keeps them: plain text, one setting a line,
// "name = value", for a user to read and edit too.
//
//     sound = theme                 (or: file)
//     sound-file = /home/me/Music/wake up.oga
//     ring-minutes = 5              (0: once)
//     gentle-start = yes            (or: no)
//     first-snooze-minutes = 10
//     second-snooze-minutes = 60
//
// Blank lines and lines starting with "#" say nothing. In the file's name a
// backslash is written "\\", a control character or a blank at either end
// "\xHH". A later line for a setting wins over an earlier one.

struct ReadPreferences {
    Preferences preferences;
    // The lines, counted from 1, that could not be read: a name this version
    // does not know, or a value it does not take. Their settings keep their
    // defaults.
    std::vector<int> unreadLines;
};

ReadPreferences readPreferences(std::string_view text);
std::string writePreferences(const Preferences& preferences);

} // namespace tickwell
