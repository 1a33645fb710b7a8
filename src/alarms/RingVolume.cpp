// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RingVolume.h"

#include <algorithm>

namespace tickwell {

double gentleVolume(std::chrono::milliseconds sinceFirst) noexcept
{
    // Evenly in decibels, which the ear hears as evenly louder.
    const double share = double(sinceFirst.count())
        / double(std::chrono::duration_cast<std::chrono::milliseconds>(gentleStartTime).count());
    return softestRing * (1.0 - std::clamp(share, 0.0, 1.0));
}

} // namespace tickwell
