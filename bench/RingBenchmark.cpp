// SPDX-License-Identifier: GPL-3.0-or-later
// How soon an answered reminder falls silent: from the answer (the box's
// OK, a snooze, the notification dismissed: the ring let go of on the
// program's thread) to the word from libcanberra that it has stopped the
// sound, back on the program's thread. The sound plays through ALSA into
// a sound card of the benchmark's own that takes it at the pace a real one
// plays it; what a real card still holds in its buffer (tens of
// milliseconds with PulseAudio) comes on top.
#include "alarms/AlarmRing.h"
#include "frame/dates/Clock.h"
#include "preferences/Preferences.h"
#include "support/TemporaryDirectory.h"

#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace tickwell;
using Steady = std::chrono::steady_clock;

// ALSA's default device, as the benchmark's HOME configures it: a pipe
// read at the pace of 44.1 kHz 16-bit stereo, a sound after another, with
// a second of room in front, as a card has its buffer. Once a sound is
// over for the benchmark, what ALSA still writes of it (its file output
// hands over the rest as it closes) is taken at once.
class PacedSoundCard {
public:
    PacedSoundCard()
    {
        ::mkfifo(m_pipe.c_str(), 0600);
        test::writeFile(m_home / ".asoundrc",
            "pcm.!default { type file; slave.pcm \"null\"; file \"" + m_pipe.string()
                + "\"; format \"raw\" }\n");
        m_realHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(m_home.path().string()));
        m_reader = std::thread([this] { read(); });
    }
    ~PacedSoundCard()
    {
        m_reading = false;
        m_paced = false;
        // Wakes the reader where it waits for the next sound.
        if (const int knock = ::open(m_pipe.c_str(), O_WRONLY | O_NONBLOCK); knock >= 0)
            ::close(knock);
        m_reader.join();
        qputenv("HOME", m_realHome);
    }
    PacedSoundCard(const PacedSoundCard&) = delete;
    PacedSoundCard& operator=(const PacedSoundCard&) = delete;

    long long bytes() const { return m_bytes; }
    // Sounds whose every byte has been taken.
    int soundsOver() const { return m_soundsOver; }
    void setPaced(bool paced) { m_paced = paced; }

private:
    void read()
    {
        constexpr double bytesPerSecond = 44100.0 * 4;
        while (m_reading) {
            const int pipe = ::open(m_pipe.c_str(), O_RDONLY);
            ::fcntl(pipe, F_SETPIPE_SZ, 1 << 18);
            const auto start = Steady::now();
            long long taken = 0;
            char buffer[4096];
            for (ssize_t got; (got = ::read(pipe, buffer, sizeof buffer)) > 0;) {
                taken += got;
                m_bytes += got;
                if (m_paced)
                    std::this_thread::sleep_until(
                        start + std::chrono::duration<double>(double(taken) / bytesPerSecond));
            }
            ::close(pipe);
            ++m_soundsOver;
        }
    }

    test::TemporaryDirectory m_home;
    std::filesystem::path m_pipe = m_home / "card";
    QByteArray m_realHome;
    std::atomic<bool> m_reading = true;
    std::atomic<bool> m_paced = true;
    std::atomic<long long> m_bytes = 0;
    std::atomic<int> m_soundsOver = 0;
    std::thread m_reader;
};

// Runs the program's events until `done` holds, ten seconds at most.
template <typename Condition> bool runUntil(Condition done)
{
    const auto end = Steady::now() + std::chrono::seconds(10);
    while (!done() && Steady::now() < end) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

void answeredRingToSoundStopped(benchmark::State& state)
{
    PacedSoundCard card;
    CanberraSound sound;
    const SystemClock clock;
    int silenced = 0;
    double longest = 0.0;
    QObject::connect(&sound, &AlarmSound::silenced, [&silenced](int number) { silenced = number; });
    for (auto _ : state) {
        std::optional<AlarmRing> ring;
        const long long before = card.bytes();
        const int soundsOver = card.soundsOver();
        card.setPaced(true);
        ring.emplace(sound, clock, Preferences {});
        // Ringing: the card takes the sound.
        if (!runUntil([&] { return card.bytes() > before; })) {
            state.SkipWithError("the sound did not reach the card");
            return;
        }
        silenced = 0;
        const auto answered = Steady::now();
        ring.reset();
        if (!runUntil([&] { return silenced != 0; })) {
            state.SkipWithError("the sound was not stopped");
            return;
        }
        const double took = std::chrono::duration<double>(Steady::now() - answered).count();
        state.SetIterationTime(took);
        longest = std::max(longest, took);
        // The rest of the sound, taken at once: the card is free for the next.
        card.setPaced(false);
        if (!runUntil([&] { return card.soundsOver() > soundsOver; })) {
            state.SkipWithError("the sound card was not let go of");
            return;
        }
    }
    state.counters["longest_ms"] = longest * 1000.0;
}
BENCHMARK(answeredRingToSoundStopped)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
