// SPDX-License-Identifier: GPL-3.0-or-later
// What a reminder's notification costs the program's thread, the one the
// tick and the box run on: posting and withdrawing a notice with no
// notification service (no session bus at all), the worst the desktop can do.
#include "frame/desktop/DBusNotifications.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tickwell;

void postAndWithdrawWithoutASessionBus(benchmark::State& state)
{
    DBusNotifications notifications(QDBusConnection(QStringLiteral("no bus")));
    const ReminderNotice notice { QStringLiteral("Feed the cat"),
        QStringLiteral("9:05 PM  Friday, March 8, 2030") };
    for (auto _ : state)
        notifications.withdraw(notifications.post(notice));
}
BENCHMARK(postAndWithdrawWithoutASessionBus)->Unit(benchmark::kMicrosecond);

} // namespace
