// SPDX-License-Identifier: GPL-3.0-or-later
// What a reminder's notification and sound cost the program's thread, the
// one the tick and the box run on: posting and withdrawing a notice with no
// notification service (no session bus at all) and a sound system that
// never answers (a sound card nobody reads), the worst the desktop can do.
#include "frame/desktop/AlarmSound.h"
#include "frame/desktop/DBusNotifications.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>

namespace {

using namespace tickwell;

void postAndWithdrawWhileTheSoundHangs(benchmark::State& state)
{
    // ALSA's default device: a pipe no one reads, so that opening it blocks.
    test::TemporaryDirectory home;
    ::mkfifo((home / "card").c_str(), 0600);
    test::writeFile(home / ".asoundrc",
        "pcm.!default { type file; slave.pcm \"null\"; file \"" + (home / "card").string() + "\" }\n");
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    {
        CanberraSound sound;
        DBusNotifications notifications(sound, QDBusConnection(QStringLiteral("no bus")));
        const ReminderNotice notice { QStringLiteral("Feed the cat"),
            QStringLiteral("9:05 PM  Friday, March 8, 2030") };
        for (auto _ : state)
            notifications.withdraw(notifications.post(notice));
        // Ending leaves the sound's thread behind after two seconds.
    }
    qputenv("HOME", realHome);
}
BENCHMARK(postAndWithdrawWhileTheSoundHangs)->Unit(benchmark::kMicrosecond);

} // namespace
