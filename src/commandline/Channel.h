// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFile.h"
#include "alarms/WholeFileWrite.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tickwell {

// Where the clock of a folder hears commands: a local socket named after the
// folder (by device and inode), in a folder that belongs to this user and
// lets nobody else in, so that another user's program can neither reach the
// clock nor take its name. The desktop's runtime folder ($XDG_RUNTIME_DIR)
// first; since a command may come from where that is unset (cron, su) or
// another one, a caller also looks in the runtime folder of the process that
// holds the folder's lock and in /run/user/<uid>; where there is no runtime
// folder at all, one of the program's own under the user's cache folder.
class Channel {
public:
    // `holder`: the process that holds the folder's lock, 0 for none known.
    explicit Channel(const AlarmFile::Identity& file, pid_t holder = 0);

    // A socket connected to the clock, of this user's; not valid where
    // none listens (or, its queue full, none takes a caller just now).
    FileDescriptor connect() const;

    struct Listening {
        FileDescriptor socket; // not valid where none could be made
        std::filesystem::path path;
        std::string failure; // why not
    };
    // The clock's socket. A socket left at its place by a clock that has
    // ended is replaced; so is any, where the folder's lock is held.
    Listening listen(bool folderLocked) const;

    // Whether the process at the other end of `socket` runs as this user.
    static bool sameUser(int socket);

private:
    std::string m_name;
    std::vector<std::filesystem::path> m_folders;
    std::filesystem::path m_fallback;
};

} // namespace tickwell
