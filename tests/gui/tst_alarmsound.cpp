// SPDX-License-Identifier: GPL-3.0-or-later
// The real alarm sound, played through libcanberra into a sound card of the
// test's own: ALSA's default device writes the samples into a pipe that the
// test reads, or leaves unread to play a sound system that hangs.
#include "frame/desktop/AlarmSound.h"
#include "support/TemporaryDirectory.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tickwell;
using namespace tickwell::test;

namespace {

// ALSA's default device, as the test's HOME configures it: every sound
// opens the pipe, writes its samples and closes it again.
class SoundCard {
public:
    SoundCard()
    {
        ::mkfifo(m_pipe.c_str(), 0600);
        writeFile(m_home / ".asoundrc",
            "pcm.!default { type file; slave.pcm \"null\"; file \"" + m_pipe.string()
                + "\"; format \"raw\" }\n");
        qputenv("HOME", QByteArray::fromStdString(m_home.path().string()));
    }
    SoundCard(const SoundCard&) = delete;
    SoundCard& operator=(const SoundCard&) = delete;
    ~SoundCard() { stopListening(); }

    // ALSA's own configuration of its default device instead, on a machine
    // whose only sound card is a tenth one: there is none to play on.
    void unplug() { writeFile(m_home / ".asoundrc", "defaults.pcm.card 9\ndefaults.ctl.card 9\n"); }

    // From now on, what is played is taken and counted, a sound at a time.
    void listen()
    {
        m_sounds.clear();
        m_opened = 0;
        m_stopped = false;
        m_listening = true;
        m_listener = std::thread([this] {
            while (m_listening) {
                const int pipe = ::open(m_pipe.c_str(), O_RDONLY);
                std::size_t bytes = 0;
                char buffer[65536];
                for (ssize_t got; (got = ::read(pipe, buffer, sizeof buffer)) > 0;)
                    bytes += std::size_t(got);
                ::close(pipe);
                const std::scoped_lock lock(m_mutex);
                if (m_listening)
                    ++m_opened;
                if (bytes > 0)
                    m_sounds.push_back(bytes);
            }
            m_stopped = true;
        });
    }
    void stopListening()
    {
        if (!m_listener.joinable())
            return;
        m_listening = false;
        // Wakes the listener where it waits for the next sound.
        while (!m_stopped) {
            const int knock = ::open(m_pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (knock >= 0)
                ::close(knock);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_listener.join();
    }
    // How often the card was opened, with or without sound.
    int opened()
    {
        const std::scoped_lock lock(m_mutex);
        return m_opened;
    }
    // The bytes of each sound played so far.
    std::vector<std::size_t> sounds()
    {
        const std::scoped_lock lock(m_mutex);
        return m_sounds;
    }

private:
    TemporaryDirectory m_home;
    std::filesystem::path m_pipe = m_home / "card";
    std::thread m_listener;
    std::atomic<bool> m_listening = false;
    std::atomic<bool> m_stopped = false;
    std::mutex m_mutex;
    std::vector<std::size_t> m_sounds;
    int m_opened = 0;
};

// A sound theme with no alarm in it, only a bell; or with nothing at all.
class SoundTheme {
public:
    explicit SoundTheme(bool bell)
    {
        const auto theme = m_data / "sounds" / "freedesktop";
        std::filesystem::create_directories(theme / "stereo");
        std::filesystem::copy_file("/usr/share/sounds/freedesktop/index.theme", theme / "index.theme");
        if (bell)
            std::filesystem::copy_file(
                "/usr/share/sounds/freedesktop/stereo/bell.oga", theme / "stereo" / "bell.oga");
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(m_data.path().string()));
    }
    ~SoundTheme() { qunsetenv("XDG_DATA_DIRS"); }

private:
    TemporaryDirectory m_data;
};

} // namespace

class AlarmSoundTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void playsTheThemesAlarmAndSaysWhenItHasPlayed();
    void aNewSoundCutsShortTheOneBeforeAndStopsOnlyItsOwn();
    void playsAFileOfTheUsersOrTheThemesAlarmInstead();
    void whereTheThemeHasNoAlarmItRingsTheBell();
    void withNothingToPlayItSaysSoOnce_data();
    void withNothingToPlayItSaysSoOnce();
    void aSoundSystemThatHangsHoldsUpNothing();

private:
    std::unique_ptr<SoundCard> m_card;
};

void AlarmSoundTest::initTestCase()
{
    QVERIFY2(std::filesystem::exists("/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga"),
        "the freedesktop sound theme is missing (libcanberra0 depends on it)");
    m_card = std::make_unique<SoundCard>();
}

void AlarmSoundTest::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_card->listen();
}

void AlarmSoundTest::cleanup()
{
    m_card->stopListening();
}

void AlarmSoundTest::playsTheThemesAlarmAndSaysWhenItHasPlayed()
{
    {
        CanberraSound sound;
        QSignalSpy finished(&sound, &AlarmSound::finished);
        const int number = sound.play({});
        QTRY_COMPARE(m_card->sounds().size(), 1u);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toInt(), number);
        // At a volume of its own, where the sound system takes one (ALSA
        // does not): as loud as it is, here.
        const int soft = sound.play({ std::string(), -30.0 });
        QVERIFY(soft != number);
        QTRY_COMPARE(m_card->sounds().size(), 2u);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished[1][0].toInt(), soft);
    }
    // Seconds of it: not the theme's short bell.
    QVERIFY2(m_card->sounds()[0] > 100000, qPrintable(QString::number(m_card->sounds()[0])));
    QCOMPARE(m_card->sounds()[1], m_card->sounds()[0]);
}

void AlarmSoundTest::aNewSoundCutsShortTheOneBeforeAndStopsOnlyItsOwn()
{
    CanberraSound sound;
    QSignalSpy finished(&sound, &AlarmSound::finished);
    const int first = sound.play({});
    const int second = sound.play({});
    // The first is no longer the one playing: silencing it leaves the second.
    sound.stop(first);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toInt(), second);
    // Stopped before it has started, a sound never plays.
    const int third = sound.play({});
    sound.stop(third);
    const int fourth = sound.play({});
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(finished[1][0].toInt(), fourth);
}

void AlarmSoundTest::playsAFileOfTheUsersOrTheThemesAlarmInstead()
{
    const TemporaryDirectory music;
    const std::string mine = (music / "wake up.oga").string();
    std::filesystem::copy_file("/usr/share/sounds/freedesktop/stereo/bell.oga", mine);
    const std::string missing = (music / "gone.oga").string();
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(QString::fromStdString("tickwell: the sound file " + missing
            + " cannot be played (there is no such file); the sound theme's alarm rings instead")));
    {
        CanberraSound sound;
        sound.play({ mine, 0.0 });
        QTRY_COMPARE(m_card->sounds().size(), 1u);
        // Not there: the theme's alarm rings rather than nothing, and that
        // is said once, not at every ring.
        sound.play({ missing, 0.0 });
        QTRY_COMPARE(m_card->sounds().size(), 2u);
        sound.play({ missing, 0.0 });
        QTRY_COMPARE(m_card->sounds().size(), 3u);
    }
    const std::vector<std::size_t> sounds = m_card->sounds();
    QVERIFY2(sounds[0] < 100000, qPrintable(QString::number(sounds[0]))); // the short bell
    QVERIFY2(sounds[1] > 100000, qPrintable(QString::number(sounds[1]))); // the alarm
}

// (libcanberra reads the theme's folders once a process: the tests below,
// and each row of the last, run in processes of their own, see
// CMakeLists.txt.)
void AlarmSoundTest::whereTheThemeHasNoAlarmItRingsTheBell()
{
    const SoundTheme bellOnly(true);
    {
        CanberraSound sound;
        sound.play({});
        QTRY_COMPARE(m_card->sounds().size(), 1u);
    }
}

namespace {
std::atomic<int> soundWarnings = 0;
QtMessageHandler testsHandler = nullptr;
void countSoundWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("tickwell: the alarm sound")))
        ++soundWarnings;
    testsHandler(type, context, message);
}
} // namespace

void AlarmSoundTest::withNothingToPlayItSaysSoOnce_data()
{
    // No sound in the theme, or libcanberra told to use what is not there.
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("missing");
    QTest::newRow("theme") << QByteArray() << QByteArray()
                           << "the sound theme has neither \"alarm-clock-elapsed\" nor \"bell\"";
    // A tenth sound card: ALSA, not finding it, says what it says of a
    // missing sound file.
    QTest::newRow("device") << QByteArray("CANBERRA_DEVICE") << QByteArray("hw:9")
                            << "there is no sound device (the sound output could not be opened)";
    QTest::newRow("driver") << QByteArray("CANBERRA_DRIVER") << QByteArray("none")
                            << "there is no sound device (no sound driver could be opened)";
    // ALSA's default device, on a machine without a sound card.
    QTest::newRow("card") << QByteArray("(no card)") << QByteArray()
                          << "there is no sound device (the sound output could not be opened)";
}

void AlarmSoundTest::withNothingToPlayItSaysSoOnce()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, missing);
    std::optional<SoundTheme> empty;
    if (variable.isEmpty())
        empty.emplace(false);
    else if (variable == "(no card)")
        m_card->unplug();
    else
        qputenv(variable.constData(), value);
    QTest::ignoreMessage(QtWarningMsg, qPrintable("tickwell: the alarm sound cannot be played: " + missing));
    soundWarnings = 0;
    testsHandler = qInstallMessageHandler(countSoundWarnings);
    // What reaches standard error meanwhile, the libraries' own words included.
    const TemporaryDirectory captured;
    std::fflush(stderr);
    const int standardError = ::dup(2);
    const int log = ::open((captured / "stderr").c_str(), O_WRONLY | O_CREAT, 0600);
    ::dup2(log, 2);
    ::close(log);
    {
        CanberraSound sound;
        sound.play({});
        QTRY_COMPARE(soundWarnings.load(), 1);
        sound.play({});
        // (Ending it waits for what it was asked to do.)
    }
    std::fflush(stderr);
    ::dup2(standardError, 2);
    ::close(standardError);
    qInstallMessageHandler(testsHandler);
    if (!variable.isEmpty())
        qunsetenv(variable.constData());
    QCOMPARE(soundWarnings.load(), 1);
    QCOMPARE(m_card->opened(), 0);
    const std::string written = readFile(captured / "stderr");
    QVERIFY2(written.find("ALSA") == std::string::npos, written.c_str());
}

void AlarmSoundTest::aSoundSystemThatHangsHoldsUpNothing()
{
    m_card->stopListening();
    // Nobody reads the card: the first sound waits for ever to be opened.
    // The program's thread asks, silences, and could end all the same.
    CanberraSound sound;
    sound.stop(sound.play({}));
    sound.play({});
    QVERIFY(!sound.finish(std::chrono::milliseconds(200)));
    // The sound's thread goes on once the card opens, and ends.
    m_card->listen();
    QTRY_COMPARE(m_card->opened(), 1);
    QVERIFY(sound.finish(std::chrono::seconds(10)));
}

QTEST_MAIN(AlarmSoundTest)
#include "tst_alarmsound.moc"
