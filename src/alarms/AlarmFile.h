#pragma once

#include "alarms/AlarmFileFormat.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tickwell {

// What a write of the alarm file came to: success, or why it failed.
struct [[nodiscard]] StoreResult {
    std::string failure; // empty on success

    bool ok() const noexcept { return failure.empty(); }
};

// "Alarm.dat" on disk. Every operation opens the file, does its work and
// closes it again; nothing is held open between calls.
//
// Writes are made so that a crash at any moment leaves a whole file: an
// append writes its record in one piece and cuts the file back if that
// fails; a rewrite writes a new file beside the old one and renames it into
// place (replacing the file a symbolic link points to, not the link). Where
// the directory allows no new file but the file itself may be written, the
// rewrite writes over it instead.
class AlarmFile {
public:
    static constexpr std::string_view fileName = "Alarm.dat";

    // The file lies in `directory`; an empty path means the working
    // directory at the moment of each open.
    explicit AlarmFile(std::filesystem::path directory = {});

    std::filesystem::path path() const;

    // Every record up to the first one that cannot be read; a missing file
    // has none. What could not be read is kept for the rewrites.
    std::vector<AlarmRecord> load();

    StoreResult append(const AlarmRecord& record);
    // Writes `records`, then whatever load() could not read.
    StoreResult rewrite(std::span<const AlarmRecord> records);

    // True when load() stopped at a record it could not read: records
    // appended after that point would not be read back, so a new alarm has
    // to be written by a rewrite instead.
    bool keepsUnreadable() const noexcept { return !m_unreadable.empty(); }

    // Appends and rewrites tried so far, whether they succeeded or not.
    std::size_t writeCount() const noexcept { return m_writeCount; }

private:
    std::filesystem::path m_directory;
    std::string m_unreadable;
    // Set when the file exists but could not be read at all; a rewrite from
    // the (empty) lists would destroy it, so rewrites are refused.
    std::string m_loadFailure;
    std::size_t m_writeCount = 0;
};

} // namespace tickwell
