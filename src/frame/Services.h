// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace tickwell {

class Clock;
class MessageBoxes;
class Notifications;
class TrayService;
class WakeSource;

// What the windows are given to reach the world outside the program.
struct Services {
    const Clock& clock;
    // What the alarm timer sleeps on between minutes while the editor is hidden.
    WakeSource& wakes;
    MessageBoxes& messageBoxes;
    TrayService& tray;
    Notifications& notifications;
    // Where "Alarm.dat" lies; empty for the working directory.
    std::filesystem::path alarmDirectory;
};

} // namespace tickwell
