// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into the clock by the reminder benchmarks: notes when the tick
// that finds an alarm reads the wall clock. At the first reading of
// CLOCK_REALTIME at or after each of the moments in FIRSTREAD_MOMENTS
// (seconds since the epoch, ascending, separated by blanks) it appends to
// FIRSTREAD_LOG a line "MOMENT WALL MONOTONIC": the moment, the wall clock
// as the program read it (faked, under faketime) and the machine's real
// monotonic clock, both in seconds.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

enum { most = 64 };
static long moments[most];
static int count = -1;
static int next;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

static void readMoments(void)
{
    count = 0;
    const char* text = getenv("FIRSTREAD_MOMENTS");
    char* end = NULL;
    while (text && count < most) {
        const long moment = strtol(text, &end, 10);
        if (end == text)
            break;
        moments[count++] = moment;
        text = end;
    }
}

int clock_gettime(clockid_t clock, struct timespec* time)
{
    static int (*real)(clockid_t, struct timespec*);
    if (!real)
        real = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    const int result = real(clock, time);
    if (result != 0 || clock != CLOCK_REALTIME)
        return result;
    pthread_mutex_lock(&lock);
    if (count < 0)
        readMoments();
    if (next < count && time->tv_sec >= moments[next]) {
        struct timespec monotonic;
        syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &monotonic);
        FILE* log = fopen(getenv("FIRSTREAD_LOG"), "a");
        if (log) {
            fprintf(log, "%ld %ld.%09ld %ld.%09ld\n", moments[next], (long)time->tv_sec, time->tv_nsec,
                (long)monotonic.tv_sec, monotonic.tv_nsec);
            fclose(log);
        }
        // Moments that went by while nothing read the clock are not noted.
        while (next < count && time->tv_sec >= moments[next])
            ++next;
    }
    pthread_mutex_unlock(&lock);
    return result;
}
