// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/AlarmSound.h"

#include <QStringList>

namespace tickwell::test {

// Records "play" and "stop" instead of sounding, and counts the calls to
// make ready.
class FakeAlarmSound final : public AlarmSound {
public:
    QStringList calls;
    int prepared = 0;

    void play() override { calls << QStringLiteral("play"); }
    void prepare() override { ++prepared; }
    void stop() override { calls << QStringLiteral("stop"); }
};

} // namespace tickwell::test
