#include "frame/dates/Clock.h"

#include <gtest/gtest.h>

#include <ctime>

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

} // namespace

TEST(system_clock, reads_the_local_time_and_moves_on_with_every_second)
{
    const SystemClock clock;
    std::time_t before = std::time(nullptr);
    DateValue now = clock.now();
    std::time_t after = std::time(nullptr);
    EXPECT_TRUE(now == localTime(before) || now == localTime(after));

    // Past the next change of second the clock shows the new second, not
    // the one it converted before.
    while (std::time(nullptr) == after) { }
    before = std::time(nullptr);
    now = clock.now();
    after = std::time(nullptr);
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
