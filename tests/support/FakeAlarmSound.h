#pragma once

#include "frame/desktop/AlarmSound.h"

#include <QStringList>

namespace tickwell::test {

// Records "play" and "stop" instead of sounding.
class FakeAlarmSound final : public AlarmSound {
public:
    QStringList calls;

    void play() override { calls << QStringLiteral("play"); }
    void stop() override { calls << QStringLiteral("stop"); }
};

} // namespace tickwell::test
