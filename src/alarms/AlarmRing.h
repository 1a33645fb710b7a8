// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/Clock.h"
#include "frame/desktop/AlarmSound.h"

#include <QTimer>

#include <chrono>

namespace tickwell {

struct Preferences;

// A reminder's ring, for as long as its box is open: the alarm's sound
// again and again, a pause between, until the reminder is answered or its
// ring time has passed (then the box and its notification stay, silent).
// With the gentle start the first sounds are soft and each repeat louder.
// Answering is ending the ring: silenced, or gone with the box.
class AlarmRing final : public QObject {
    Q_OBJECT

public:
    AlarmRing(AlarmSound& sound, const Clock& clock, const Preferences& preferences);
    ~AlarmRing() override;
    AlarmRing(const AlarmRing&) = delete;
    AlarmRing& operator=(const AlarmRing&) = delete;

    // No sound from now on, and the one playing stops at once.
    void silence();

    // Between one sound's end and the next one's start.
    static constexpr std::chrono::milliseconds pause { 1000 };

private:
    void ring();
    void soundFinished(int number);
    std::chrono::milliseconds sinceFirst() const;

    AlarmSound& m_sound;
    const Clock& m_clock;
    AlarmTone m_tone;
    std::chrono::minutes m_ringTime;
    bool m_gentle;
    Clock::Instant m_first;
    int m_playing = 0; // the sound on, if one is
    bool m_silenced = false;
    QTimer m_next;
    // The ring time, kept by a timer too: a sound longer than what is left
    // of it is cut short, and one that never ends is ended.
    QTimer m_end;
};

} // namespace tickwell
