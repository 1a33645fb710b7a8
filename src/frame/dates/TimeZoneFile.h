// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tickwell {

// The file the C library reads the local time zone from: "/etc/localtime"
// when TZ is unset, the file TZ names (":/path", a path, or a name under
// TZDIR) otherwise; empty when TZ is set but empty, which means UTC.
std::string timeZoneFileFor(const char* tz, const char* tzdir);

// Follows the system's time zone while the program runs. The C library
// reads the zone once and localtime_r() never looks again, so a traveller's
// new zone, or one chosen in the desktop's settings, would otherwise only
// count after a restart.
class TimeZoneFile {
public:
    // Looks at the zone file; if it has been replaced or rewritten since the
    // last look, makes the C library read it again. True when it changed.
    bool followChanges();

    // With TZ unset the zone is "/etc/localtime"; naming it in TZ, first
    // thing in main() while there is one thread, means that following the
    // zone later only gives TZ new values and never resizes the environment
    // under a thread that reads it.
    static void nameTheDefault();

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified {};
        timespec changed {};
        bool exists = false;

        bool operator==(const Identity& other) const noexcept;
    };
    static Identity identityOf(const std::string& path);
    static void rereadZone();

    std::optional<Identity> m_seen;
};

} // namespace tickwell
