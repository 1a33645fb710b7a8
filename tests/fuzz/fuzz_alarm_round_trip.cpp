// SPDX-License-Identifier: GPL-3.0-or-later
// The writer and the reader agree: a record the writer accepts reads back as
// it was, one it refuses would not, and a file of accepted records with
// unreadable bytes after them reads back to the same records and bytes.
#include "Check.h"

#include "alarms/AlarmFileFormat.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace tickwell;

namespace {

DateValue anyDate(FuzzedDataProvider& in)
{
    if (in.ConsumeBool())
        return DateValue::fromSerial(in.ConsumeFloatingPoint<double>());
    const int year = in.ConsumeIntegralInRange(90, 10010);
    const int month = in.ConsumeIntegralInRange(0, 13);
    const int day = in.ConsumeIntegralInRange(0, 32);
    const int hour = in.ConsumeIntegralInRange(0, 24);
    const int minute = in.ConsumeIntegralInRange(0, 60);
    const int second = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(0, 60);
    return DateValue::fromParts(year, month, day, hour, minute, second).value_or(DateValue::noDate());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    std::vector<AlarmRecord> records;
    const int count = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < count; ++i) {
        AlarmRecord record { anyDate(in), in.ConsumeRandomLengthString(700) };
        // Outside the calendar a date cannot even be written down: the
        // writer's check must say no before it tries.
        if (!(record.when >= DateValue::noDate()
                && record.when <= *DateValue::fromParts(9999, 12, 31, 23, 59, 59))) {
            check(!recordFault(record).empty(), "the writer accepts a date outside the calendar");
            continue;
        }
        const AlarmFileContents alone = parseAlarmFile(formatAlarmRecord(record));
        const bool readsBack = alone.records == std::vector { record } && alone.unreadable.empty();
        check(recordFault(record).empty() == readsBack, "the writer's check and the reader disagree");
        if (readsBack)
            records.push_back(std::move(record));
    }
    const std::string leading = in.ConsumeBool() ? "\xEF\xBB\xBF" : "";
    const AlarmFileContents tail = parseAlarmFile(in.ConsumeRemainingBytesAsString());
    const std::string unreadable = tail.leading + tail.unreadable;

    const std::string written = formatAlarmFile(records, unreadable, leading);
    const AlarmFileContents read = parseAlarmFile(written);
    check(read.records == records, "what the writer wrote reads back to other records");
    check(
        read.leading + read.unreadable == leading + unreadable, "what the writer kept reads back otherwise");
    check(formatAlarmFile(read.records, read.unreadable, read.leading) == written,
        "a rewrite changes the bytes");
    return 0;
}
