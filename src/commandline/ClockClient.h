// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandline/ClockMessages.h"

#include <chrono>
#include <string>
#include <vector>

namespace tickwell {

class AlarmFile;
class FolderLock;

// How long a start of the program waits for the clock, and for what.
struct Patience {
    // For a clock that holds the folder to listen: it may be starting.
    std::chrono::milliseconds reach { 5000 };
    // For the clock's next line: it answers at once, or says what it waits for.
    std::chrono::milliseconds answer { 15000 };
    // For what it said it waits for: the user, to close a box.
    std::chrono::milliseconds user { std::chrono::minutes(5) };
};

struct Asked {
    enum class Outcome {
        // None runs on the folder: its lock is this process's now, unless
        // it cannot be had at all.
        NoClock,
        Answered, // `replies`, the last ending the answer (none after a shutdown)
        Failed, // a clock runs that could not be asked, or did not answer whole: `why`
    };
    Outcome outcome = Outcome::NoClock;
    std::vector<ClockReply> replies;
    std::string why;
};

// Hands `command` to the clock that runs on `file`'s folder and waits for its
// whole answer, saying on standard error what the clock says it waits for.
// SIGTERM, SIGINT and SIGHUP, which the caller has blocked, end the wait and
// the process at once, saying whether the command had reached the clock.
Asked askClock(
    FolderLock& lock, const AlarmFile& file, const ClockCommand& command, const Patience& patience = {});

// Once the answer is in: SIGTERM, SIGINT and SIGHUP end the program as
// they usually do, also while it prints.
void releaseTerminationSignals();

// A plain start: this process becomes the clock for `file`, or hands over to
// the one that runs on its folder, which shows its editor.
struct Claimed {
    enum class Outcome {
        TheClock,
        HandedOver,
        Refused, // a clock runs that cannot be handed over to: `why`
    };
    Outcome outcome = Outcome::TheClock;
    std::string why;
    // TheClock: how it is guarded less well than it should be; empty if it is not.
    std::string warning;
};
Claimed claimFolder(FolderLock& lock, const AlarmFile& file, const Patience& patience = {});

} // namespace tickwell
