// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace tickwell {

// Tells when the time-zone file may have changed, with no look at it in
// between: inotify watches on the file itself (through symbolic links),
// for one rewritten in place, and on the folder that names it and the one
// it lies in, for a file renamed over it or a link pointed elsewhere. A
// clock that sleeps between minutes is woken by the descriptor instead.
class ZoneFileWatch {
public:
    // Watches the file the C library reads the zone from now (TZ, TZDIR).
    ZoneFileWatch();
    ~ZoneFileWatch();
    ZoneFileWatch(const ZoneFileWatch&) = delete;
    ZoneFileWatch& operator=(const ZoneFileWatch&) = delete;

    // False where inotify cannot be had (the user's instances used up):
    // then only a look at the file itself tells.
    bool active() const noexcept { return m_fd >= 0; }
    // Readable when something has happened; never blocks a read.
    int descriptor() const noexcept { return m_fd; }

    // Reads what has happened since the last call, without waiting. True
    // when any of it may concern the zone file; the file's new inode, or
    // the folder a link now points into, is then watched in its turn.
    bool takeChanges();

private:
    void watch();

    int m_fd = -1;
    std::string m_path;
    std::vector<std::string> m_names; // the file's names in the watched folders
    int m_fileWatch = -1;
    std::vector<int> m_folderWatches;
};

} // namespace tickwell
