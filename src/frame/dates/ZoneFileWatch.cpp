// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/ZoneFileWatch.h"

#include "frame/dates/TimeZoneFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace tickwell {

namespace {

// What happens to the file itself: written, its times or links changed, gone.
constexpr std::uint32_t fileEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// What happens to names in a folder; writes to the folder's other files
// (many in /etc) wake nothing.
constexpr std::uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

} // namespace

ZoneFileWatch::ZoneFileWatch()
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    watch();
}

ZoneFileWatch::~ZoneFileWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void ZoneFileWatch::watch()
{
    if (m_fd < 0)
        return;
    m_path = timeZoneFileFor(std::getenv("TZ"), std::getenv("TZDIR"));
    if (m_path.empty())
        return; // UTC: no file to follow
    namespace fs = std::filesystem;
    const fs::path named(m_path);
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(named, error);

    // A watch on an inode already watched comes back with the same number.
    const int file = ::inotify_add_watch(m_fd, m_path.c_str(), fileEvents);
    if (m_fileWatch >= 0 && m_fileWatch != file)
        ::inotify_rm_watch(m_fd, m_fileWatch);
    m_fileWatch = file;

    std::vector<int> folders;
    m_names.clear();
    for (const fs::path& path : { named, resolved }) {
        if (path.empty() || !path.has_parent_path())
            continue;
        const int folder = ::inotify_add_watch(m_fd, path.parent_path().c_str(), folderEvents);
        if (folder >= 0)
            folders.push_back(folder);
        m_names.push_back(path.filename().string());
    }
    for (int old : m_folderWatches) {
        if (std::find(folders.begin(), folders.end(), old) == folders.end() && old != m_fileWatch)
            ::inotify_rm_watch(m_fd, old);
    }
    m_folderWatches = std::move(folders);
}

bool ZoneFileWatch::takeChanges()
{
    if (m_fd < 0)
        return false;
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer.data(), buffer.size());
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char* name = buffer.data() + at + sizeof event;
            at += ssize_t(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) {
                changed = true;
            } else if (event.wd == m_fileWatch) {
                changed = true;
            } else if (event.len > 0
                && std::find(m_names.begin(), m_names.end(), std::string(name)) != m_names.end()) {
                changed = true;
            }
        }
    }
    if (changed)
        watch();
    return changed;
}

} // namespace tickwell
