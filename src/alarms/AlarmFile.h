// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFileFormat.h"
#include "alarms/GuardedFile.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tickwell {

// Beyond this, a file is no alarm file: it is not read, and never replaced.
inline constexpr std::uintmax_t maxAlarmFileBytes = std::uintmax_t(64) << 20;

// "Alarm.dat" on disk. Every operation opens the file, does its work and
// closes it again; nothing is held open between calls.
//
// Writes are made so that no failure and no kill at any moment leaves a file
// that reads as anything but the old one or the new one: an append writes its
// record in one piece and cuts the file back if that fails; a rewrite writes a
// new file beside the old one and renames it into place (replacing the file a
// symbolic link points to, not the link). Where the directory allows no new
// file but the file itself may be written, the rewrite goes through a journal
// in the file (RewriteJournal.h).
//
// The clock's lists lead; but a version of the file that another program
// wrote since this one last read or wrote it is never destroyed: it is kept
// beside it under a name that says so before the file is replaced.
class AlarmFile {
public:
    static constexpr std::string_view fileName = "Alarm.dat";

    // The file lies in `directory`; an empty path means the working
    // directory at the moment of each open.
    explicit AlarmFile(std::filesystem::path directory = {});

    std::filesystem::path path() const;
    // The path as a message names it: absolute while the working directory
    // still has a name.
    std::filesystem::path displayPath() const;
    // Which alarm file the path reaches, the same through every symbolic
    // link and from every working directory: the folder it lies in at the
    // end of its links, by device and inode (0 where the folder cannot be
    // looked at), and its name there. One clock runs per folder: its lock
    // and its channel go by the folder, and a command checks the name.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::string name;

        friend bool operator==(const Identity&, const Identity&) = default;
    };
    Identity identity() const;
    // The directory the file lies in, at the end of its symbolic links ("."
    // for the working directory): the one directory every path to it reaches.
    std::filesystem::path resolvedDirectory() const;

    // Every record up to the first one that cannot be read; a missing file
    // has none. What could not be read is kept for the rewrites. Temporary
    // files that a crashed clock left beside the file are removed.
    std::vector<AlarmRecord> load();
    // Why load() did not read a file that exists; empty when it did, or when
    // there was none. Such a file is never rewritten.
    const std::string& loadFailure() const noexcept { return m_loadFailure; }
    // Whether load() met a record it could not read: what follows it is not
    // among the records.
    bool hasUnreadable() const noexcept { return !m_unreadable.empty(); }

    // Adds `record` to a file that holds `listed`. A file that cannot simply
    // be added to (it has gone, another program changed it, or it ends in
    // what could not be read) is rewritten with `listed` and `record` instead.
    StoreResult append(std::span<const AlarmRecord> listed, const AlarmRecord& record);
    // Writes `records`, then whatever load() could not read.
    StoreResult rewrite(std::span<const AlarmRecord> records);

    // Appends and rewrites tried, whether they succeeded or not.
    std::size_t writeCount() const noexcept { return m_writeCount; }

private:
    StoreResult writeRecords(std::span<const AlarmRecord> records);

    std::filesystem::path m_directory;
    std::string m_leading;
    std::string m_unreadable;
    std::string m_loadFailure;
    GuardedFile m_file { maxAlarmFileBytes };
    std::size_t m_writeCount = 0;
};

} // namespace tickwell
