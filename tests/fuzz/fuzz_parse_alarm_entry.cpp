// ParseAlarmEntry on any text, and on the entry text of any date value: a
// value it gives is on a whole minute and comes back from its own entry text.
#include "Check.h"

#include "alarms/AlarmEntry.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

using namespace tickwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto value = ParseAlarmEntry(text)) {
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
