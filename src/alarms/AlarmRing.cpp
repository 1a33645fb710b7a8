// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmRing.h"

#include "alarms/RingVolume.h"
#include "preferences/Preferences.h"

#include <utility>

namespace tickwell {

AlarmRing::AlarmRing(AlarmSound& sound, const Clock& clock, const Preferences& preferences)
    : m_sound(sound)
    , m_clock(clock)
    , m_ringTime(preferences.ringTime)
    , m_gentle(preferences.gentleStart)
    , m_first(clock.instant())
{
    if (preferences.sound == Preferences::Sound::File)
        m_tone.file = preferences.soundFile;
    m_next.setSingleShot(true);
    m_end.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &AlarmRing::ring);
    connect(&m_end, &QTimer::timeout, this, &AlarmRing::silence);
    connect(&m_sound, &AlarmSound::finished, this, &AlarmRing::soundFinished);
    ring();
    if (m_ringTime.count() > 0)
        m_end.start(m_ringTime);
}

AlarmRing::~AlarmRing()
{
    silence();
}

void AlarmRing::silence()
{
    m_silenced = true;
    m_next.stop();
    m_end.stop();
    if (m_playing)
        m_sound.stop(std::exchange(m_playing, 0));
}

void AlarmRing::ring()
{
    if (m_silenced)
        return;
    m_tone.volume = m_gentle ? gentleVolume(sinceFirst()) : 0.0;
    m_playing = m_sound.play(m_tone);
}

void AlarmRing::soundFinished(int number)
{
    if (number != m_playing || m_silenced)
        return;
    m_playing = 0;
    // Once only, or until the ring time has passed.
    if (sinceFirst() + pause < m_ringTime)
        m_next.start(pause);
}

std::chrono::milliseconds AlarmRing::sinceFirst() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_clock.instant() - m_first);
}

} // namespace tickwell
