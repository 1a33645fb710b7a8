// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandline/ClockMessages.h"
#include "frame/dates/DateValue.h"

#include <vector>

namespace tickwell {

class AlarmFile;

// A command carried out on the alarm file itself, where no clock runs on it,
// answered as the clock would answer it: adding, listing and clearing
// alarms, and the state, through the same store and with the same checks as
// the clock. The caller holds the folder's lock meanwhile, so that no clock
// starts on it half way. Other commands need a clock.
std::vector<ClockReply> runOnFile(AlarmFile& file, const ClockCommand& command, DateValue now);

} // namespace tickwell
