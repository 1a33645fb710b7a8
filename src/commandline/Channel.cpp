// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/Channel.h"

#include "frame/desktop/DesktopId.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tickwell {

namespace {

struct Address {
    sockaddr_un address {};
    bool fits = false;

    explicit Address(const std::filesystem::path& path)
    {
        address.sun_family = AF_UNIX;
        const std::string& text = path.native();
        fits = text.size() < sizeof address.sun_path;
        if (fits)
            std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
    static constexpr socklen_t length = sizeof(sockaddr_un);
};

FileDescriptor newSocket()
{
    // Never blocking: a clock whose queue is full does not hold up the one
    // that asks it, nor a caller the clock.
    return FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
}

// A folder of this user's that nobody else may enter, and no link to one.
bool isPrivate(const std::filesystem::path& folder)
{
    struct stat info { };
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) == 0;
}

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::optional(std::filesystem::path(value)) : std::nullopt;
}

// The runtime folder of another process of this user's, from its environment.
std::optional<std::filesystem::path> runtimeFolderOf(pid_t process)
{
    std::ifstream environment("/proc/" + std::to_string(process) + "/environ", std::ios::binary);
    constexpr std::string_view key = "XDG_RUNTIME_DIR=";
    for (std::string entry; std::getline(environment, entry, '\0');) {
        if (entry.starts_with(key) && entry.size() > key.size() && entry[key.size()] == '/')
            return entry.substr(key.size());
    }
    return std::nullopt;
}

// A socket connected to the one at `path`; not valid where none listens.
FileDescriptor connectAt(const std::filesystem::path& path)
{
    const Address address(path);
    FileDescriptor socket = newSocket();
    if (!address.fits || !socket.valid())
        return FileDescriptor();
    int result;
    do
        result = ::connect(socket.get(), address.get(), Address::length);
    while (result != 0 && errno == EINTR);
    return result == 0 ? std::move(socket) : FileDescriptor();
}

std::filesystem::path cacheFolder()
{
    if (const auto cache = absoluteFromEnvironment("XDG_CACHE_HOME"))
        return *cache / desktopId;
    if (const auto home = absoluteFromEnvironment("HOME"))
        return *home / ".cache" / desktopId;
    return {};
}

} // namespace

Channel::Channel(const AlarmFile::Identity& file, pid_t holder)
    : m_fallback(cacheFolder())
{
    if (file.inode != 0)
        m_name = "tickwell-" + std::to_string(file.device) + "-" + std::to_string(file.inode) + ".socket";
    std::vector<std::filesystem::path> folders;
    if (holder != 0) {
        if (const auto theirs = runtimeFolderOf(holder))
            folders.push_back(*theirs);
    }
    if (const auto runtime = absoluteFromEnvironment("XDG_RUNTIME_DIR"))
        folders.push_back(*runtime);
    folders.push_back("/run/user/" + std::to_string(::geteuid()));
    if (!m_fallback.empty())
        folders.push_back(m_fallback);
    for (std::filesystem::path& folder : folders) {
        folder = folder.lexically_normal();
        if (std::find(m_folders.begin(), m_folders.end(), folder) == m_folders.end())
            m_folders.push_back(std::move(folder));
    }
}

bool Channel::sameUser(int socket)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
}

FileDescriptor Channel::connect() const
{
    for (const std::filesystem::path& folder : m_folders) {
        if (m_name.empty() || !isPrivate(folder))
            continue;
        if (FileDescriptor socket = connectAt(folder / m_name); socket.valid() && sameUser(socket.get()))
            return socket;
    }
    return FileDescriptor();
}

Channel::Listening Channel::listen(bool folderLocked) const
{
    Listening listening;
    if (m_name.empty()) {
        listening.failure = "the folder of the alarm file cannot be looked at";
        return listening;
    }
    for (const std::filesystem::path& folder : m_folders) {
        if (folder == m_fallback) {
            std::error_code ignored;
            std::filesystem::create_directories(folder.parent_path(), ignored);
            ::mkdir(folder.c_str(), 0700);
        }
        const std::filesystem::path path = folder / m_name;
        const Address address(path);
        if (!isPrivate(folder) || !address.fits)
            continue;
        FileDescriptor socket = newSocket();
        int result = ::bind(socket.get(), address.get(), Address::length);
        if (result != 0 && errno == EADDRINUSE) {
            // Left by a clock that has ended: with the folder locked there is
            // no other clock; without, one that still listens answers, and
            // is the clock for the folder.
            if (!folderLocked && connectAt(path).valid()) {
                listening.failure = path.string() + ": another clock listens there";
                return listening;
            }
            ::unlink(path.c_str());
            result = ::bind(socket.get(), address.get(), Address::length);
        }
        if (result == 0 && ::listen(socket.get(), 64) == 0) {
            listening.socket = std::move(socket);
            listening.path = path;
            listening.failure.clear();
            return listening;
        }
        listening.failure = path.string() + ": " + reasonText(errno);
    }
    if (listening.failure.empty())
        listening.failure = "no folder for it belongs to this user alone (XDG_RUNTIME_DIR, /run/user/"
            + std::to_string(::geteuid()) + ", " + (m_fallback.empty() ? "HOME" : m_fallback.string()) + ")";
    return listening;
}

} // namespace tickwell
