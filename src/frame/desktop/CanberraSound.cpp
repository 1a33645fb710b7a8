// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/AlarmSound.h"

#include "frame/desktop/DesktopId.h"

#include <QDebug>

#include <canberra.h>
#include <dlfcn.h>
#include <link.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tickwell {

namespace {

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

// ALSA's error handler, as <alsa/error.h> declares it.
using AlsaErrorHandler
    = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) { }

// ALSA writes a dozen lines of its own to standard error for a sound device
// it cannot find, at every sound; the clock says in one line what is
// missing. Its error handler is set once libcanberra has loaded it, before
// the first sound: looked up, not linked, so that a clock that plays no
// sound does not load ALSA.
void silenceAlsaErrors()
{
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa)
        return;
    if (void* setHandler = dlsym(alsa, "snd_lib_error_set_handler"))
        reinterpret_cast<int (*)(AlsaErrorHandler)>(setHandler)(&ignoreAlsaError);
    dlclose(alsa);
}

// "canberra.volume": decibels, whole ones, written the same in every locale.
std::string decibels(double volume)
{
    char text[16] {};
    const auto end = std::to_chars(text, text + sizeof text - 1, long(std::lround(volume))).ptr;
    return std::string(text, end);
}

// Plays `sound` (an event of the sound theme, or a file) as sound `id`;
// `ended` is told when it has played to its end.
int startSound(ca_context* context, std::uint32_t id, const char* property, const std::string& sound,
    double volume, ca_finish_callback_t ended, void* player)
{
    ca_proplist* properties = nullptr;
    if (const int created = ca_proplist_create(&properties); created < 0)
        return created;
    ca_proplist_sets(properties, property, sound.c_str());
    ca_proplist_sets(properties, CA_PROP_EVENT_DESCRIPTION, "Alarm");
    if (std::string_view(property) == CA_PROP_EVENT_ID)
        ca_proplist_sets(properties, CA_PROP_CANBERRA_CACHE_CONTROL, "permanent");
    if (volume < 0.0)
        ca_proplist_sets(properties, CA_PROP_CANBERRA_VOLUME, decibels(volume).c_str());
    silenceAlsaErrors();
    const int result = ca_context_play_full(context, id, properties, ended, player);
    ca_proplist_destroy(properties);
    return result;
}

// The theme's alarm, or its bell where it has none.
int startAlarmSound(ca_context* context, std::uint32_t id = 0, double volume = 0.0,
    ca_finish_callback_t ended = nullptr, void* player = nullptr)
{
    const int result = startSound(context, id, CA_PROP_EVENT_ID, alarmSoundName, volume, ended, player);
    return result == CA_ERROR_NOTFOUND
        ? startSound(context, id, CA_PROP_EVENT_ID, fallbackSoundName, volume, ended, player)
        : result;
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
    struct Request {
        AlarmTone tone;
        int number = 0;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    // What the program asked for since the thread last looked: requests
    // made while it is held up are folded, not piled up.
    int stopAsked = 0;
    std::optional<Request> playAsked;
    bool openAsked = false;
    bool endAsked = false;
    bool finished = false;
    // Told of each sound that plays to its end; none once it has gone.
    CanberraSound* owner = nullptr;

    void run();

private:
    int open();
    void play(const Request& request);
    int playFile(const Request& request);
    void reportOnce(int error);
    void reportFileOnce(const std::string& file, int error);
    static void soundEnded(ca_context*, std::uint32_t id, int error, void* player);

    ca_context* m_context = nullptr;
    // The sound started last, which a new one cuts short.
    std::uint32_t m_playing = 0;
    bool m_reported = false;
    std::string m_fileReported;
};

void CanberraSound::Player::run()
{
    for (bool end = false; !end;) {
        int stop = 0;
        std::optional<Request> start;
        bool ready = false;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopAsked || playAsked || openAsked || endAsked; });
            stop = std::exchange(stopAsked, 0);
            start = std::exchange(playAsked, std::nullopt);
            ready = std::exchange(openAsked, false);
            end = endAsked;
        }
        // Connected to the sound server ahead of the alarm, not at its moment.
        if (ready && !m_context && !end)
            open();
        // Silencing a sound silences any before it that still plays: one
        // whose successor was withdrawn before it started, say.
        if (stop && m_context && m_playing && m_playing <= std::uint32_t(stop))
            ca_context_cancel(m_context, m_playing);
        if (start) {
            // One sound at a time: reminders that follow each other ring
            // one after the other, never over each other.
            if (m_playing && m_context)
                ca_context_cancel(m_context, m_playing);
            play(*start);
        }
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
        silenceAlsaErrors();
        ca_context_cache(m_context, CA_PROP_EVENT_ID, alarmSoundName, nullptr);
    }
    return CA_SUCCESS;
}

void CanberraSound::Player::play(const Request& request)
{
    m_playing = std::uint32_t(request.number);
    const auto start = [&] {
        return request.tone.file.empty()
            ? startAlarmSound(m_context, m_playing, request.tone.volume, &soundEnded, this)
            : playFile(request);
    };
    int result = m_context ? CA_SUCCESS : open();
    if (result == CA_SUCCESS)
        result = start();
    if (result == CA_ERROR_DISCONNECTED || result == CA_ERROR_STATE) {
        // The sound server went away since: a new connection.
        ca_context_destroy(m_context);
        result = open();
        if (result == CA_SUCCESS)
            result = start();
    }
    // Playing may have opened a driver of its own.
    keepDriversLoaded();
    if (result < 0)
        reportOnce(result);
}

int CanberraSound::Player::playFile(const Request& request)
{
    const std::string& file = request.tone.file;
    const int result = startSound(
        m_context, m_playing, CA_PROP_MEDIA_FILENAME, file, request.tone.volume, &soundEnded, this);
    if (result == CA_SUCCESS || result == CA_ERROR_DISCONNECTED || result == CA_ERROR_STATE)
        return result;
    // The theme's alarm rather than silence. Should that fail as well, the
    // file was not the trouble: what is missing is said instead.
    const int theme = startAlarmSound(m_context, m_playing, request.tone.volume, &soundEnded, this);
    if (theme == CA_SUCCESS)
        reportFileOnce(file, result);
    return theme;
}

void CanberraSound::Player::soundEnded(ca_context*, std::uint32_t id, int error, void* player)
{
    // Called on a thread of libcanberra's own, or on the sound's while it
    // stops one.
    if (error != CA_SUCCESS && error != CA_ERROR_CANCELED)
        return;
    auto* self = static_cast<Player*>(player);
    const std::scoped_lock lock(self->mutex);
    CanberraSound* owner = self->owner;
    if (!owner)
        return;
    const int number = int(id);
    if (error == CA_SUCCESS)
        QMetaObject::invokeMethod(
            owner, [owner, number] { Q_EMIT owner->finished(number); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(
            owner, [owner, number] { Q_EMIT owner->silenced(number); }, Qt::QueuedConnection);
}

void CanberraSound::Player::reportOnce(int error)
{
    if (std::exchange(m_reported, true))
        return;
    qWarning("tickwell: the alarm sound cannot be played: %s", whatIsMissing(error).c_str());
}

void CanberraSound::Player::reportFileOnce(const std::string& file, int error)
{
    if (std::exchange(m_fileReported, file) == file)
        return;
    std::error_code ignored;
    const std::string why
        = std::filesystem::exists(file, ignored) ? ca_strerror(error) : "there is no such file";
    qWarning("tickwell: the sound file %s cannot be played (%s); the sound theme's alarm rings instead",
        file.c_str(), why.c_str());
}

CanberraSound::CanberraSound()
    : m_player(std::make_shared<Player>())
    , m_thread([player = m_player] { player->run(); })
{
    const std::scoped_lock lock(m_player->mutex);
    m_player->owner = this;
}

CanberraSound::~CanberraSound()
{
    {
        // No word of a sound's end may reach this object once it goes.
        const std::scoped_lock lock(m_player->mutex);
        m_player->owner = nullptr;
    }
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

int CanberraSound::play(const AlarmTone& tone)
{
    const int number = ++m_lastNumber;
    {
        const std::scoped_lock lock(m_player->mutex);
        m_player->playAsked = Player::Request { tone, number };
    }
    m_player->wake.notify_one();
    return number;
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

void CanberraSound::stop(int number)
{
    // Only the latest sound can still play: the one before it was cut short.
    if (number != m_lastNumber)
        return;
    {
        const std::scoped_lock lock(m_player->mutex);
        // A sound not started yet is not started late.
        if (m_player->playAsked && m_player->playAsked->number == number)
            m_player->playAsked.reset();
        m_player->stopAsked = number;
    }
    m_player->wake.notify_one();
}

} // namespace tickwell
