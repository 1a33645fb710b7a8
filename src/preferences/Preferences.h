// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <string>

namespace tickwell {

// How an alarm sounds and what its reminder offers, as the user chose them
// in the Preferences window; a default for each until they choose.
struct Preferences {
    enum class Sound {
        Theme, // the sound theme's alarm
        File, // a sound file of the user's
    };

    Sound sound = Sound::Theme;
    // The user's file, kept while the theme's alarm is chosen, so that going
    // back to it finds it again. The path's bytes, as the file system has them.
    std::string soundFile;
    // How long an unanswered alarm rings; none: it rings once.
    std::chrono::minutes ringTime { 5 };
    // The first rings soft, each repeat louder.
    bool gentleStart = true;
    // The reminder's two "remind me again" buttons, in minutes.
    std::array<int, 2> snoozeMinutes { 10, 60 };

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

// What a setting may hold. A ring of at most an hour; a snooze of a minute to a day.
inline constexpr std::chrono::minutes longestRingTime { 60 };
inline constexpr int shortestSnooze = 1;
inline constexpr int longestSnooze = 24 * 60;

// The choices the Preferences window offers; the file may hold others.
inline constexpr std::array<int, 5> ringTimeChoices { 0, 1, 5, 10, 20 };
inline constexpr std::array<int, 8> snoozeChoices { 5, 10, 15, 20, 30, 60, 120, 240 };

bool isValidRingTime(std::chrono::minutes ringTime) noexcept;
bool isValidSnooze(int minutes) noexcept;

// A length of time in words: "1 Minute", "10 Minutes", "1 Hour", "2 Hours";
// hours only when whole ("90 Minutes").
std::string minutesText(int minutes);

} // namespace tickwell
