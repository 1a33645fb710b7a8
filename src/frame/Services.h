#pragma once

#include <filesystem>

namespace tickwell {

class Clock;
class MessageBoxes;
class Notifications;
class TrayService;

// What the windows are given to reach the world outside the program.
struct Services {
    const Clock& clock;
    MessageBoxes& messageBoxes;
    TrayService& tray;
    Notifications& notifications;
    // Where "Alarm.dat" lies; empty for the working directory.
    std::filesystem::path alarmDirectory;
};

} // namespace tickwell
