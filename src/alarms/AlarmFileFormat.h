// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The records of "Alarm.dat", one per alarm:
//   #1998-10-05 09:30:00#,"Dentist"<CR><LF>
// with the short literal #1998-10-05# at midnight. A double quote inside a
// reminder is written doubled. The file is written in UTF-8; a reminder that
// is not valid UTF-8 was made on a Windows-1252 desktop and is read as such.
namespace tickwell {

inline constexpr std::size_t maxReminderCharacters = 128;
// Reading stops here; the records beyond are kept as they stand.
inline constexpr std::size_t maxRecordsRead = 100'000;

struct AlarmRecord {
    DateValue when;
    std::string reminder; // UTF-8, line breaks as typed

    friend bool operator==(const AlarmRecord&, const AlarmRecord&) = default;
};

struct AlarmFileContents {
    std::vector<AlarmRecord> records;
    // The byte-order marks the file begins with, written back before the
    // records. Those that start a later line, before a record (two files
    // joined into one), are passed over and not written back: amid the
    // records they would start nothing.
    std::string leading;
    // The first record that could not be read and everything after it, byte
    // for byte, or the marks that end the file with no record after them.
    // It is written back after the records on every rewrite, so that
    // nothing the program cannot read is destroyed.
    std::string unreadable;
    // Set when the bytes held the journal of a rewrite in place
    // (RewriteJournal.h): the file then reads as the journal says, not as its
    // bytes stand, and may be cut to `keptLength` bytes without a change.
    bool journal = false;
    std::size_t keptLength = 0;
};

std::string formatDateLiteral(DateValue when);
std::string formatAlarmRecord(const AlarmRecord& record);
std::string formatAlarmFile(
    std::span<const AlarmRecord> records, std::string_view unreadable, std::string_view leading = {});

// Why the reader would not give back `record` as it stands, were it written:
// empty when it would. Nothing is written that its own reader would refuse.
std::string recordFault(const AlarmRecord& record);

// Never fails: reading ends at the first record it cannot read.
AlarmFileContents parseAlarmFile(std::string_view bytes);

} // namespace tickwell
