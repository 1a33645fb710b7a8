// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/Repetition.h"
#include "frame/dates/Clock.h"
#include "frame/dates/TimeZoneFile.h"
#include "frame/dates/ZoneFileWatch.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <utility>

using tickwell::DateValue;
using tickwell::SystemClock;

namespace {

DateValue localTime(std::time_t seconds)
{
    std::tm local {};
    localtime_r(&seconds, &local);
    return *DateValue::fromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
        local.tm_min, local.tm_sec < 60 ? local.tm_sec : 59);
}

// The clock's offset from UTC, in whole hours.
long long hoursAheadOfUtc(const SystemClock& clock)
{
    const std::time_t seconds = std::time(nullptr);
    const DateValue local = clock.now();
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    const DateValue universal = *DateValue::fromParts(
        utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return std::llround((local.serial() - universal.serial()) * 24);
}

// Waits, generously, until the clock shows the offset.
bool reachesOffset(const SystemClock& clock, long long hours)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        if (hoursAheadOfUtc(clock) == hours)
            return true;
    }
    return false;
}

// TZ as a test wants it, for as long as it lives.
class ZoneSetting {
public:
    explicit ZoneSetting(const std::string& tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", tz.c_str(), 1);
        ::tzset();
    }
    ~ZoneSetting()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ZoneSetting(const ZoneSetting&) = delete;
    ZoneSetting& operator=(const ZoneSetting&) = delete;

private:
    std::optional<std::string> m_old;
};

// Whether the descriptor has something to read within a generous while.
bool readable(int descriptor)
{
    pollfd watch { descriptor, POLLIN, 0 };
    return ::poll(&watch, 1, 10000) == 1;
}

} // namespace

TEST(system_clock, reads_the_local_time_and_moves_on_with_every_second)
{
    // The fine wall clock, not time()'s coarse seconds, which turn over a
    // timer interrupt late.
    const auto wallSecond = [] {
        return std::chrono::system_clock::to_time_t(
            std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    };
    const SystemClock clock;
    std::time_t before = wallSecond();
    DateValue now = clock.now();
    std::time_t after = wallSecond();
    EXPECT_TRUE(now == localTime(before) || now == localTime(after));

    // Past the next change of second the clock shows the new second, not
    // the one it converted before.
    while (wallSecond() == after) { }
    before = wallSecond();
    now = clock.now();
    after = wallSecond();
    EXPECT_TRUE(now == localTime(before) || now == localTime(after));
    EXPECT_GT(now, localTime(before - 1));
}

TEST(system_clock, counts_the_milliseconds_to_the_next_tenth)
{
    const SystemClock clock;
    for (int i = 0; i < 1000; ++i) {
        const int ms = clock.millisecondsToNextTenth();
        ASSERT_GE(ms, 1);
        ASSERT_LE(ms, 100);
    }
}

TEST(system_clock, the_next_minute_begins_on_the_local_clock)
{
    using namespace std::chrono;
    // Thirty seconds ahead of UTC: the local minute is not UTC's.
    for (const char* tz : { "UTC0", "<+0000030>-0:00:30", "<-0930>9:30" }) {
        const ZoneSetting setting(tz);
        const SystemClock clock;
        const auto before = system_clock::now();
        const auto next = clock.nextMinuteStart();
        const auto after = system_clock::now();
        EXPECT_GT(next, before) << tz;
        EXPECT_LE(next, after + seconds(60)) << tz;
        const std::time_t moment = system_clock::to_time_t(next);
        std::tm local {};
        ASSERT_TRUE(localtime_r(&moment, &local));
        EXPECT_EQ(local.tm_sec, 0) << tz;
        EXPECT_EQ(system_clock::from_time_t(moment), next) << tz;
    }
}

TEST(system_clock, follows_the_time_zone_file_changed_while_it_runs)
{
    const tickwell::test::TemporaryDirectory directory;
    const std::filesystem::path zone = directory / "localtime";
    const std::string utc = tickwell::test::readFile("/usr/share/zoneinfo/UTC");
    const std::string tokyo
        = tickwell::test::readFile("/usr/share/zoneinfo/Asia/Tokyo"); // +9, no summer time
    ASSERT_FALSE(utc.empty());
    ASSERT_FALSE(tokyo.empty());
    tickwell::test::writeFile(zone, utc);
    const ZoneSetting setting(":" + zone.string());
    const SystemClock clock;
    EXPECT_EQ(hoursAheadOfUtc(clock), 0);

    // Written over in place, as an editor or a copy would.
    tickwell::test::writeFile(zone, tokyo);
    EXPECT_TRUE(reachesOffset(clock, 9));

    // Copied over with its times kept: the same inode and the same
    // modification time as the zone read before, which is all the C
    // library looks at.
    struct stat before { };
    ASSERT_EQ(::stat(zone.c_str(), &before), 0);
    tickwell::test::writeFile(zone, utc);
    const timespec times[2] = { before.st_atim, before.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, zone.c_str(), times, 0), 0);
    EXPECT_TRUE(reachesOffset(clock, 0));
    tickwell::test::writeFile(zone, tokyo);
    ASSERT_EQ(::utimensat(AT_FDCWD, zone.c_str(), times, 0), 0);
    EXPECT_TRUE(reachesOffset(clock, 9));

    // Replaced by another file, as the desktop's settings do.
    tickwell::test::writeFile(directory / "next", utc);
    std::filesystem::rename(directory / "next", zone);
    EXPECT_TRUE(reachesOffset(clock, 0));
}

TEST(system_clock, finds_the_zone_file_the_way_the_c_library_does)
{
    using tickwell::timeZoneFileFor;
    EXPECT_EQ(timeZoneFileFor(nullptr, nullptr), "/etc/localtime");
    EXPECT_EQ(timeZoneFileFor(":/home/me/zone", nullptr), "/home/me/zone");
    EXPECT_EQ(timeZoneFileFor("/home/me/zone", nullptr), "/home/me/zone");
    EXPECT_EQ(timeZoneFileFor("Europe/Berlin", nullptr), "/usr/share/zoneinfo/Europe/Berlin");
    EXPECT_EQ(timeZoneFileFor(":Asia/Tokyo", "/opt/zones"), "/opt/zones/Asia/Tokyo");
    EXPECT_EQ(timeZoneFileFor("", nullptr), "");
}

// The watch sees every way the zone file is changed: rewritten in place
// (with its times kept, too), renamed over, its link pointed elsewhere; and
// says nothing of the folder's other files.
TEST(system_clock, the_zone_watch_tells_of_each_change_to_the_zone_file)
{
    namespace fs = std::filesystem;
    using tickwell::test::writeFile;
    const tickwell::test::TemporaryDirectory directory;
    fs::create_directory(directory / "zones");
    const std::string utc = tickwell::test::readFile("/usr/share/zoneinfo/UTC");
    const std::string tokyo = tickwell::test::readFile("/usr/share/zoneinfo/Asia/Tokyo");
    writeFile(directory / "zones" / "a", utc);
    writeFile(directory / "zones" / "b", tokyo);
    fs::create_symlink(directory / "zones" / "a", directory / "localtime");
    const ZoneSetting setting(":" + (directory / "localtime").string());
    SystemClock clock;
    tickwell::ZoneFileWatch watch;
    ASSERT_TRUE(watch.active());
    EXPECT_EQ(hoursAheadOfUtc(clock), 0);
    const auto changed = [&watch] { return readable(watch.descriptor()) && watch.takeChanges(); };

    // In place, through the link.
    writeFile(directory / "zones" / "a", tokyo);
    EXPECT_TRUE(changed());
    EXPECT_TRUE(readable(clock.zoneWatchDescriptor()));
    EXPECT_TRUE(clock.followZoneChanges());
    EXPECT_EQ(hoursAheadOfUtc(clock), 9);
    EXPECT_FALSE(clock.followZoneChanges()); // nothing since

    // Only its times set back, as a copy that keeps them leaves them.
    struct stat before { };
    ASSERT_EQ(::stat((directory / "zones" / "a").c_str(), &before), 0);
    const timespec times[2] = { before.st_atim, before.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, (directory / "zones" / "a").c_str(), times, 0), 0);
    EXPECT_TRUE(changed());

    // Another file of either folder is none of its business.
    writeFile(directory / "other", utc);
    writeFile(directory / "zones" / "other", utc);
    EXPECT_TRUE(readable(watch.descriptor()));
    EXPECT_FALSE(watch.takeChanges());

    // The link pointed at another zone, the way the desktop's settings do it.
    fs::create_symlink(directory / "zones" / "b", directory / "next");
    fs::rename(directory / "next", directory / "localtime");
    EXPECT_TRUE(changed());
    // From now on the new target is watched, the old one no more.
    writeFile(directory / "zones" / "a", utc);
    EXPECT_FALSE(watch.takeChanges());
    writeFile(directory / "zones" / "b", utc);
    EXPECT_TRUE(changed());

    // The target renamed over, as a package upgrade does.
    writeFile(directory / "zones" / "new", tokyo);
    fs::rename(directory / "zones" / "new", directory / "zones" / "b");
    EXPECT_TRUE(changed());
    writeFile(directory / "zones" / "b", utc);
    EXPECT_TRUE(changed());
}

TEST(system_clock, finds_the_first_moment_of_a_local_time)
{
    using namespace std::chrono;
    const ZoneSetting setting("Europe/Berlin");
    const SystemClock clock;
    const auto utc = [](int year, int month, int day, int hour, int minute) {
        return sys_days { std::chrono::year { year } / month / day } + hours { hour } + minutes { minute };
    };
    const auto local = [](int year, int month, int day, int hour, int minute) {
        return *DateValue::fromParts(year, month, day, hour, minute);
    };
    // Winter and summer.
    EXPECT_EQ(clock.firstMomentAt(local(2030, 1, 15, 7, 30)), utc(2030, 1, 15, 6, 30));
    EXPECT_EQ(clock.firstMomentAt(local(2030, 7, 15, 7, 30)), utc(2030, 7, 15, 5, 30));
    // The night the clocks go forward from 2:00 to 3:00: half past two
    // never comes; it is past once they jump.
    EXPECT_EQ(clock.firstMomentAt(local(2030, 3, 31, 2, 30)), utc(2030, 3, 31, 1, 0));
    EXPECT_EQ(clock.firstMomentAt(local(2030, 3, 31, 3, 0)), utc(2030, 3, 31, 1, 0));
    EXPECT_EQ(clock.firstMomentAt(local(2030, 3, 31, 1, 59)), utc(2030, 3, 31, 0, 59));
    // The night they go back from 3:00 to 2:00: half past two comes twice,
    // first in summer time.
    EXPECT_EQ(clock.firstMomentAt(local(2030, 10, 27, 2, 30)), utc(2030, 10, 27, 0, 30));
    EXPECT_EQ(clock.firstMomentAt(local(2030, 10, 27, 3, 0)), utc(2030, 10, 27, 2, 0));
    // Far from UTC either way, and a zone of half hours.
    for (const char* tz : { "Pacific/Kiritimati", "Pacific/Pago_Pago", "Asia/Kolkata", "UTC0" }) {
        const ZoneSetting zone(tz);
        const SystemClock there;
        const DateValue wanted = local(2030, 3, 8, 21, 5);
        const auto moment = there.firstMomentAt(wanted);
        EXPECT_EQ(there.localTime(moment), wanted) << tz;
        EXPECT_LT(there.localTime(moment - seconds(1)), wanted) << tz;
    }
}

TEST(system_clock, every_occurrence_of_a_daily_series_comes_once_and_in_order_through_the_century)
{
    // Zones that change by half an hour, at midnight, and one that skipped
    // a whole day (30 December 2011); the minutes around their changes.
    using namespace std::chrono;
    for (const char* tz : { "UTC0", "Australia/Lord_Howe", "America/Santiago", "Pacific/Apia" }) {
        const ZoneSetting zone(tz);
        const SystemClock clock;
        for (const auto& [hour, minute] : { std::pair { 0, 0 }, { 0, 30 }, { 2, 30 } }) {
            tickwell::RepeatRule daily;
            const std::optional<tickwell::Series> series
                = tickwell::startSeries(daily, *DateValue::fromParts(2000, 1, 1, hour, minute));
            ASSERT_TRUE(series);
            const DateValue end = *DateValue::fromParts(2101, 1, 1);
            std::optional<SystemClock::Instant> previous;
            long long count = 0, shared = 0;
            for (std::optional<DateValue> at = series->first; at && *at < end;
                 at = tickwell::occurrenceAfter(*series, *at), ++count) {
                const SystemClock::Instant moment = clock.firstMomentAt(*at);
                // Its moment comes, never before its local time, and at the
                // first moment that reads it or later: where the clocks
                // jump past it, the moment they jump.
                ASSERT_GE(clock.localTime(moment), *at) << tz << " " << at->serial();
                ASSERT_LT(clock.localTime(moment - seconds(1)), *at) << tz << " " << at->serial();
                // Each after the last, none lost; two at one moment only
                // where a whole day never was, and its occurrence comes
                // with the next day's.
                if (previous) {
                    ASSERT_GE(moment, *previous) << tz << " " << at->serial();
                    shared += moment == *previous;
                }
                previous = moment;
            }
            EXPECT_EQ(count, 36890) << tz; // 1 January 2000 to 31 December 2100
            const bool apiaAtMidnight = std::string(tz) == "Pacific/Apia" && hour == 0 && minute == 0;
            EXPECT_EQ(shared, apiaAtMidnight ? 1 : 0) << tz << " " << hour << ":" << minute;
        }
    }
}
