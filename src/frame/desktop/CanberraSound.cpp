// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/AlarmSound.h"

#include "frame/desktop/DesktopId.h"

#include <QDebug>

#include <canberra.h>
#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace tickwell {

namespace {

constexpr std::uint32_t alarmSoundId = 1;
constexpr const char* alarmSoundName = "alarm-clock-elapsed";
constexpr const char* fallbackSoundName = "bell";

int pinDriver(dl_phdr_info* info, std::size_t, void*)
{
    const std::string_view name = info->dlpi_name ? info->dlpi_name : "";
    if (name.find("/libcanberra-0.") != std::string_view::npos) {
        // A second reference that is never let go, and a module that is never unmapped.
        dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

// libcanberra unloads its output driver as the context goes, while the
// driver's last player thread may still be returning from it: that thread
// would then run into unmapped code. Kept loaded, it ends safely.
void keepDriversLoaded()
{
    dl_iterate_phdr(&pinDriver, nullptr);
}

// The theme's alarm, or its bell where it has none.
int startAlarmSound(ca_context* context)
{
    const auto start = [context](const char* sound) {
        return ca_context_play(context, alarmSoundId, CA_PROP_EVENT_ID, sound, CA_PROP_EVENT_DESCRIPTION,
            "Alarm", CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr);
    };
    const int result = start(alarmSoundName);
    return result == CA_ERROR_NOTFOUND ? start(fallbackSoundName) : result;
}

// The sound started on ALSA's "null" device, which every ALSA has and which
// plays nothing: it starts where the theme has it, whatever devices there are.
int startOnNullDevice()
{
    ca_context* probe = nullptr;
    if (const int created = ca_context_create(&probe); created < 0)
        return created;
    int result = ca_context_set_driver(probe, "alsa");
    if (result == CA_SUCCESS)
        result = ca_context_change_device(probe, "null");
    if (result == CA_SUCCESS)
        result = startAlarmSound(probe);
    keepDriversLoaded();
    ca_context_destroy(probe);
    return result;
}

// What keeps the sound from being heard, in words that say what is missing.
// libcanberra's own words mislead: with no sound device its ALSA output says
// "File or data not found", as it does for a sound the theme does not have.
std::string whatIsMissing(int error)
{
    const std::string noSound = std::string("the sound theme has neither \"") + alarmSoundName + "\" nor \""
        + fallbackSoundName + "\"";
    switch (error) {
    case CA_ERROR_NODRIVER:
        return "there is no sound device (no sound driver could be opened)";
    case CA_ERROR_NOTFOUND:
        switch (startOnNullDevice()) {
        case CA_SUCCESS:
            return "there is no sound device (the sound output could not be opened)";
        case CA_ERROR_NOTFOUND:
            return noSound;
        default:
            return "there is no sound device, or " + noSound;
        }
    default:
        return ca_strerror(error);
    }
}

} // namespace

// Everything the sound's thread shares with the program's. Shared, so that
// a thread left behind at the end (a sound server that hangs) still has it.
struct CanberraSound::Player {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    // What the program asked for since the thread last looked: requests
    // made while it is held up are folded, not piled up.
    bool stopAsked = false;
    bool playAsked = false;
    bool openAsked = false;
    bool endAsked = false;
    bool finished = false;

    void run();

private:
    int open();
    void play();
    void reportOnce(int error);

    ca_context* m_context = nullptr;
    bool m_reported = false;
};

void CanberraSound::Player::run()
{
    for (bool end = false; !end;) {
        bool stop = false;
        bool start = false;
        bool ready = false;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopAsked || playAsked || openAsked || endAsked; });
            stop = std::exchange(stopAsked, false);
            start = std::exchange(playAsked, false);
            ready = std::exchange(openAsked, false);
            end = endAsked;
        }
        // Connected to the sound server ahead of the alarm, not at its moment.
        if (ready && !m_context && !end)
            open();
        if (stop && m_context)
            ca_context_cancel(m_context, alarmSoundId);
        if (start)
            play();
    }
    if (m_context)
        ca_context_destroy(m_context);
    {
        const std::scoped_lock lock(mutex);
        finished = true;
    }
    ended.notify_all();
}

int CanberraSound::Player::open()
{
    if (const int created = ca_context_create(&m_context); created < 0) {
        m_context = nullptr;
        return created;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Tickwell Alarm Clock",
        CA_PROP_APPLICATION_ID, desktopId, CA_PROP_APPLICATION_ICON_NAME, desktopId, nullptr);
    // May fail while the sound server is not up yet; playing opens it again.
    if (ca_context_open(m_context) == CA_SUCCESS) {
        keepDriversLoaded();
        ca_context_cache(m_context, CA_PROP_EVENT_ID, alarmSoundName, nullptr);
    }
    return CA_SUCCESS;
}

void CanberraSound::Player::play()
{
    int result = m_context ? CA_SUCCESS : open();
    if (result == CA_SUCCESS)
        result = startAlarmSound(m_context);
    if (result == CA_ERROR_DISCONNECTED || result == CA_ERROR_STATE) {
        // The sound server went away since: a new connection.
        ca_context_destroy(m_context);
        result = open();
        if (result == CA_SUCCESS)
            result = startAlarmSound(m_context);
    }
    // Playing may have opened a driver of its own.
    keepDriversLoaded();
    if (result < 0)
        reportOnce(result);
}

void CanberraSound::Player::reportOnce(int error)
{
    if (std::exchange(m_reported, true))
        return;
    qWarning("tickwell: the alarm sound cannot be played: %s", whatIsMissing(error).c_str());
}

CanberraSound::CanberraSound()
    : m_player(std::make_shared<Player>())
    , m_thread([player = m_player] { player->run(); })
{
}

CanberraSound::~CanberraSound()
{
    // A sound server that hangs must not keep the program from ending.
    if (!finish(std::chrono::seconds(2)) && m_thread.joinable())
        m_thread.detach();
}

bool CanberraSound::finish(std::chrono::milliseconds patience)
{
    if (!m_thread.joinable())
        return true;
    {
        const std::scoped_lock lock(m_player->mutex);
        m_player->endAsked = true;
    }
    m_player->wake.notify_one();
    std::unique_lock lock(m_player->mutex);
    if (!m_player->ended.wait_for(lock, patience, [this] { return m_player->finished; }))
        return false;
    lock.unlock();
    m_thread.join();
    return true;
}

void CanberraSound::play()
{
    {
        const std::scoped_lock lock(m_player->mutex);
        m_player->playAsked = true;
    }
    m_player->wake.notify_one();
}

void CanberraSound::prepare()
{
    // Once, not at every tick of the minute before a reminder: a connection
    // that fails now is made again by the sound itself.
    if (std::exchange(m_openAsked, true))
        return;
    {
        const std::scoped_lock lock(m_player->mutex);
        m_player->openAsked = true;
    }
    m_player->wake.notify_one();
}

void CanberraSound::stop()
{
    {
        const std::scoped_lock lock(m_player->mutex);
        // A sound not started yet is not started late.
        m_player->playAsked = false;
        m_player->stopAsked = true;
    }
    m_player->wake.notify_one();
}

} // namespace tickwell
