// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tickwell {

// Hands the heap's free pages back to the system. The clock sits idle for
// hours after its start and after each box; the allocator would otherwise
// keep what they used and freed.
void returnFreedMemory() noexcept;

} // namespace tickwell
