// SPDX-License-Identifier: GPL-3.0-or-later
// ParseAlarmEntry on any text, and on the entry text of any date value: a
// value it gives is on a whole minute and comes back from its own entry text.
// The tick's one-pass reading of the entry pattern, in bytes and in UTF-16,
// gives a value only where ParseAlarmEntry gives the same.
#include "Check.h"

#include "alarms/AlarmEntry.h"
#include "frame/dates/DateText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

using namespace tickwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = ParseAlarmEntry(text);
    const std::u16string wide(text.begin(), text.end());
    for (const auto quick : { dateFromEntryPattern(text), dateFromEntryPattern(wide) }) {
        if (quick)
            check(quick == value, "the entry pattern read in one pass gives another value");
    }
    if (value) {
        check(value->parts().second == 0, "an entry gave a value off the minute");
        check(ParseAlarmEntry(alarmEntryText(*value)) == value, "a parsed entry does not come back");
    }

    FuzzedDataProvider in(data, size);
    const auto when = DateValue::fromParts(in.ConsumeIntegralInRange(100, 9999),
        in.ConsumeIntegralInRange(1, 12), in.ConsumeIntegralInRange(1, 31), in.ConsumeIntegralInRange(0, 23),
        in.ConsumeIntegralInRange(0, 59), in.ConsumeIntegralInRange(0, 59));
    if (when) {
        const auto minute = DateValue::fromParts(when->parts().year, when->parts().month, when->parts().day,
            when->parts().hour, when->parts().minute);
        check(ParseAlarmEntry(alarmEntryText(*when)) == minute, "an entry text does not parse to its minute");
    }
    return 0;
}
