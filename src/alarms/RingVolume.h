// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace tickwell {

// A ring that starts gently: its first sound soft enough not to startle, each
// repeat louder, full volume half a minute on.
inline constexpr double softestRing = -30.0; // decibels below full volume
inline constexpr std::chrono::seconds gentleStartTime { 30 };

// The volume, in decibels below full (0: full), of a ring's sound that
// starts `sinceFirst` after its first sound.
double gentleVolume(std::chrono::milliseconds sinceFirst) noexcept;

} // namespace tickwell
