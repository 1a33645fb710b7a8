// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tickwell {

// What a write of a file of the clock's came to: success, or why it failed.
struct [[nodiscard]] StoreResult {
    StoreResult() = default;
    // A failure, for `reason`.
    StoreResult(std::string reason, bool asBefore = true)
        : failure(std::move(reason))
        , fileAsBefore(asBefore)
    {
    }

    std::string failure; // empty on success
    // Where the version of the file that another program had written was
    // kept before this write replaced it; empty when there was none.
    std::filesystem::path keptAside;
    // After a failure: false when the file holds what another program wrote
    // to it, not what this clock last read or wrote.
    bool fileAsBefore = true;

    bool ok() const noexcept { return failure.empty(); }
};

// A file as this clock last read or wrote it.
struct SeenFile {
    bool known = false; // neither read nor written yet
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified = 0, changed = 0; // nanoseconds
    std::uint64_t sum = 0; // checksum of its bytes
    bool sumKnown = false;
    // Its bytes are the records and the kept parts as the writer puts
    // them, so that a record can simply be added at the end.
    bool plain = true;
    // Its bytes may be cut to this length (RewriteJournal.h).
    std::uint64_t keptLength = 0;
};

// A file the clock keeps the user's data in, read whole and written whole,
// under a path reached through its symbolic links at every call. Nothing is
// held open between calls.
//
// Writes are made so that no failure and no kill at any moment leaves a file
// that reads as anything but the old one or the new one: an append writes its
// bytes in one piece and cuts the file back if that fails; a replacement
// writes a new file beside the old one and renames it into place (replacing
// the file a symbolic link points to, not the link). Where the directory
// allows no new file but the file itself may be written, it goes through a
// journal in the file (RewriteJournal.h).
//
// A version of the file that another program wrote since this one last read
// or wrote it is never destroyed: it is kept beside it under a name that says
// so before the file is replaced.
class GuardedFile {
public:
    // At most `largest` bytes are read or written.
    explicit GuardedFile(std::uintmax_t largest);

    // The text the file stands for (that of a rewrite journal's, where it
    // holds one), or none, with the reason in `failure` for a file that
    // exists but cannot be read, and none without one for a missing file.
    // Temporary files that a crashed writer left beside it are removed.
    std::optional<std::string> read(const std::filesystem::path& target, std::string& failure);

    // Whether `bytes` can simply be added at the end: the file is as this
    // clock last read or wrote it, and holds no journal.
    bool canAppend(const std::filesystem::path& target);
    // Adds `bytes` at the end; after `lineEnd` first where the file's last
    // byte ends no line (a line edited by hand).
    StoreResult append(const std::filesystem::path& target, std::string bytes, std::string_view lineEnd);
    // Writes the file anew with `bytes`.
    StoreResult replace(const std::filesystem::path& target, std::string_view bytes);

private:
    std::uintmax_t m_largest;
    SeenFile m_seen;
};

} // namespace tickwell
