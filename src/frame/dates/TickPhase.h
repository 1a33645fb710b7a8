// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tickwell {

// Whether a tick of the 100 ms timer is in phase with the wall clock's
// tenths of a second, given the milliseconds left to the next tenth (1 to
// 100). A tick belongs just after a tenth: one that comes early would look
// at the clock just before a minute begins, and the alarm of that minute
// would wait for the next tick. So only a tick at most this late is in
// phase; any other, early or late, calls for starting anew at a tenth.
// The timer runs on the monotonic clock, and the wall clock is often slewed
// against it (time synchronisation, a virtual machine's host) by as much as
// 5 ms a second: with more leeway, the ticks would fall that much later
// before anything noticed, and every alarm with them.
constexpr int maxTickLatenessMs = 1;

constexpr bool isTickInPhase(int millisecondsToNextTenth) noexcept
{
    const int lateness = (100 - millisecondsToNextTenth) % 100;
    return lateness >= 0 && lateness <= maxTickLatenessMs;
}

static_assert(isTickInPhase(100) && isTickInPhase(99));
static_assert(!isTickInPhase(98) && !isTickInPhase(50) && !isTickInPhase(1));

} // namespace tickwell
