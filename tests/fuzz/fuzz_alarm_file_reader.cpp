// SPDX-License-Identifier: GPL-3.0-or-later
// The reader of "Alarm.dat" on any bytes: it gives only records the writer
// would write, keeps what it cannot read byte for byte, reads its own
// rewrite back the same, and takes time in proportion to the bytes.
#include "Check.h"

#include "alarms/AlarmFileFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace tickwell;

namespace {

std::string kept(const AlarmFileContents& contents)
{
    return contents.leading + contents.unreadable;
}

void readsInLinearTime(std::string_view bytes)
{
    // The input over and over, to 32 KB: a reader that is quadratic in
    // records, quotes, marks or journals shows it here.
    std::string many;
    while (many.size() < (32u << 10))
        many += bytes;
    const double start = threadSeconds();
    const AlarmFileContents read = parseAlarmFile(many);
    const double spent = threadSeconds() - start;
    check(spent < 0.05 + 1e-6 * double(many.size()), "reading takes more than linear time");
    check(read.records.size() <= maxRecordsRead, "more records read than the limit");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const AlarmFileContents read = parseAlarmFile(bytes);
    for (const AlarmRecord& record : read.records)
        check(recordFault(record).empty(), "a record was read that the writer would refuse");

    // Read, then rewritten with every record: the same records and the same
    // kept bytes, and the rewrite of the rewrite is the rewrite.
    const std::string written = formatAlarmFile(read.records, read.unreadable, read.leading);
    const AlarmFileContents again = parseAlarmFile(written);
    check(again.records == read.records, "a rewrite reads back to other records");
    check(kept(again) == kept(read), "a rewrite reads back to other kept bytes");
    check(!again.journal, "a rewrite holds a journal");
    check(formatAlarmFile(again.records, again.unreadable, again.leading) == written,
        "a second rewrite differs");

    // Without a journal mark the kept bytes are the file's own, as they stand.
    if (bytes.find(std::string_view("\0tickwell:rewrite-", 18)) == std::string_view::npos) {
        check(!read.journal, "a journal found where there is none");
        check(bytes.substr(0, read.leading.size()) == read.leading, "the leading marks are not the file's");
        check(bytes.size() >= read.unreadable.size()
                && bytes.substr(bytes.size() - read.unreadable.size()) == read.unreadable,
            "what could not be read is not the file's own end");
    }
    // On one input in eight, chosen by its bytes: the check costs as much as
    // a thousand plain runs.
    if (size >= 16 && data[size / 2] % 8 == 0)
        readsInLinearTime(bytes);
    return 0;
}
