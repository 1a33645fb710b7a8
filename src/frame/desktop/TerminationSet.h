// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>

namespace tickwell {

// SIGTERM, SIGINT and SIGHUP: they shut the clock down as its menu does, and
// end a command line that waits for the clock at once. Both keep them
// blocked and read them from a descriptor.
inline sigset_t terminationSet() noexcept
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace tickwell
