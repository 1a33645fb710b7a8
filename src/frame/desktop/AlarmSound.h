// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <memory>
#include <thread>

namespace tickwell {

// The alarm's sound from the desktop's sound theme, for where the
// notification service plays none. Given to the notifications, so that
// tests can record it.
class AlarmSound {
public:
    virtual ~AlarmSound() = default;
    // Starts the sound once; returns at once, whatever the sound system does.
    virtual void play() = 0;
    // A sound may be wanted within a minute: the sound system is opened now,
    // and returns at once too.
    virtual void prepare() = 0;
    // Silences it, if it still sounds.
    virtual void stop() = 0;
};

// The sound theme's "alarm-clock-elapsed" (its "bell" where the theme has
// no alarm), played through libcanberra on a thread of its own: opening the
// sound system can block for as long as its server takes to answer, and
// neither the reminder box nor the tick may wait for that. The sound system
// is opened a minute before a reminder, not at start-up: its libraries and
// its connection are a megabyte that a clock with no alarm near does without.
// A sound that cannot be played is reported once, by what is missing: a sound
// device, or the sound in the theme.
class CanberraSound final : public AlarmSound {
public:
    CanberraSound();
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    void play() override;
    void prepare() override;
    void stop() override;

    // Ends the sound's thread, waiting at most `patience` for it. False when
    // the sound system holds it up still: the program may end all the same,
    // but not through the libraries' own clean-up, which the thread would
    // run into should the sound system let it go meanwhile.
    bool finish(std::chrono::milliseconds patience);

private:
    struct Player;
    std::shared_ptr<Player> m_player;
    std::thread m_thread;
    bool m_openAsked = false;
};

} // namespace tickwell
