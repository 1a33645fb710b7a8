// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/AlarmSound.h"

#include <QStringList>

#include <vector>

namespace tickwell::test {

// Records what is played, at what volume, and what is stopped, instead of
// sounding; the test ends a sound as its end would (`finish()`), and counts
// the calls to make ready.
class FakeAlarmSound final : public AlarmSound {
public:
    std::vector<AlarmTone> played; // sound n is played[n - 1]
    QStringList calls; // "play 1", "stop 1", ...
    int prepared = 0;

    int play(const AlarmTone& tone) override
    {
        played.push_back(tone);
        calls << QStringLiteral("play %1").arg(played.size());
        return int(played.size());
    }
    void stop(int number) override { calls << QStringLiteral("stop %1").arg(number); }
    void prepare() override { ++prepared; }

    // The last sound played has come to its end.
    void finish() { Q_EMIT finished(int(played.size())); }
    // The volumes of the sounds played, in order.
    std::vector<double> volumes() const
    {
        std::vector<double> levels;
        for (const AlarmTone& tone : played)
            levels.push_back(tone.volume);
        return levels;
    }
};

} // namespace tickwell::test
