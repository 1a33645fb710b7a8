// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace tickwell {

class AlarmSound;
class Clock;
class MachineWake;
class MessageBoxes;
class Notifications;
class PreferencesStore;
class TrayService;
class WakeSource;

// What the windows are given to reach the world outside the program.
struct Services {
    const Clock& clock;
    // What the alarm timer sleeps on between minutes while the editor is hidden.
    WakeSource& wakes;
    // What wakes a sleeping machine for the next alarm.
    MachineWake& machineWake;
    MessageBoxes& messageBoxes;
    TrayService& tray;
    Notifications& notifications;
    // The ring of a reminder, and the Preferences window's sample of it.
    AlarmSound& sound;
    PreferencesStore& preferences;
    // Where "Alarm.dat" lies; empty for the working directory.
    std::filesystem::path alarmDirectory;
};

} // namespace tickwell
