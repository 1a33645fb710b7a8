// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace tickwell {

// One sound of an alarm's ring.
struct AlarmTone {
    // A sound file of the user's, its path's bytes; empty for the sound
    // theme's alarm.
    std::string file;
    // Decibels below full volume (0: full), where the sound system takes a
    // volume for a sound of its own; elsewhere it plays at full volume.
    double volume = 0.0;
};

// The alarm's sound. The reminders and the Preferences window are given one,
// so that tests can record what is played, at what volume, and finish a
// sound when they choose.
class AlarmSound : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Plays `tone` once, cutting short whatever sound this one still plays,
    // and returns its number. Returns at once, whatever the sound system does.
    virtual int play(const AlarmTone& tone) = 0;
    // Silences sound `number`, if it still plays; a later sound plays on.
    virtual void stop(int number) = 0;
    // A sound may be wanted within a minute: the sound system is opened now,
    // and returns at once too.
    virtual void prepare() = 0;

Q_SIGNALS:
    // Sound `number` has played to its end: not when it was stopped or cut
    // short, nor when it could not be played.
    void finished(int number);
    // Sound `number` was stopped, or cut short by another: the sound system
    // has let it go.
    void silenced(int number);
};

// The sound theme's "alarm-clock-elapsed" (its "bell" where the theme has
// no alarm), or the user's file, played through libcanberra on a thread of
// its own: opening the sound system can block for as long as its server
// takes to answer, and neither the reminder box nor the tick may wait for
// that. The sound system is opened a minute before a reminder, not at
// start-up: its libraries and its connection are a megabyte that a clock
// with no alarm near does without. A sound that cannot be played is
// reported once, by what is missing: a sound device, or the sound in the
// theme; a file of the user's that cannot be played gives way to the
// theme's alarm, and is reported once too. The sound library's own errors
// (ALSA's, a dozen lines for a machine without a sound card) are not
// written: the clock's one line says what they would.
class CanberraSound final : public AlarmSound {
    Q_OBJECT

public:
    CanberraSound();
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    int play(const AlarmTone& tone) override;
    void stop(int number) override;
    void prepare() override;

    // Ends the sound's thread, waiting at most `patience` for it. False when
    // the sound system holds it up still: the program may end all the same,
    // but not through the libraries' own clean-up, which the thread would
    // run into should the sound system let it go meanwhile.
    bool finish(std::chrono::milliseconds patience);

private:
    struct Player;
    std::shared_ptr<Player> m_player;
    std::thread m_thread;
    int m_lastNumber = 0;
    bool m_openAsked = false;
};

} // namespace tickwell
