// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon, its menu and the clock's two states; the About window; one
// clock per alarm file.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmFile.h"
#include "commandline/ClockClient.h"
#include "commandline/ClockServer.h"
#include "commandline/FolderLock.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cstddef>
#include <cstring>
#include <optional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tickwell;
using namespace tickwell::test;

namespace {
QString pathOf(const std::filesystem::path& directory)
{
    return QString::fromStdString(AlarmFile(directory).displayPath().string());
}

// Hides the About window as soon as the modal display has started.
void closeAboutWhenShown(QObject* context, bool* wasVisible)
{
    QTimer::singleShot(0, context, [wasVisible] {
        *wasVisible = forms::frmAbout.instance() && forms::frmAbout.instance()->isVisible();
        if (forms::frmAbout.instance())
            forms::frmAbout.instance()->cmdClose_Click();
    });
}
// Asks the clock of `folder` from another thread, as another process would,
// while this one goes on serving its event loop.
Asked askFromAnotherThread(
    const std::filesystem::path& folder, const ClockCommand& command, const Patience& patience = {})
{
    Asked asked;
    const std::unique_ptr<QThread> asker(QThread::create([&] {
        const AlarmFile file(folder);
        FolderLock lock(file.resolvedDirectory());
        asked = askClock(lock, file, command, patience);
    }));
    asker->start();
    // Not an event loop of its own: a test before may have ended the
    // application's, which ends every later one at once.
    if (!QTest::qWaitFor([&asker] { return asker->isFinished(); }, 60000))
        qFatal("the thread that asks the clock did not end");
    return asked;
}

// The socket of the clock of `folder`, in this test's runtime folder.
std::filesystem::path channelOf(const std::filesystem::path& folder)
{
    const AlarmFile::Identity identity = AlarmFile(folder).identity();
    return std::filesystem::path(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString())
        / ("tickwell-" + std::to_string(identity.device) + "-" + std::to_string(identity.inode) + ".socket");
}

// A caller of the clock's as some other program might be: it says `bytes`
// and stays on the line.
int callWith(const std::filesystem::path& channel, std::string_view bytes)
{
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, channel.c_str(), channel.native().size() + 1);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) != ssize_t(bytes.size())) {
        ::close(socket);
        return -1;
    }
    return socket;
}

} // namespace

class TrayTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsActiveWithTheIconAndTip();
    void deactivateAndActivateSwitchAllThreeTogether();
    void alarmsDueWhileInactiveAreDealtWithByTheFirstTickAfter();
    void doubleClickOpensTheEditorAndASingleClickDoesNot();
    void activationOpensTheEditorWhereTheHostReportsNoDoubleClicks();
    void editAlarmsResetsAnOpenEditor();
    void anEditorLoadedAnewIsActiveAndSoIsTheTray();
    void aboutComposesItsCaptionsAtLoad();
    void aboutWorksWithAndWithoutTheEditor();
    void aboutClosedByTheWindowSystemIsLoadedAnew();
    void shutdownFromEitherStateUnloadsInOrderAndRemovesTheIcon();
    void withoutANotificationAreaTheEditorIsShown();
    void aSecondClockForTheSameFileHandsOver();
    void anotherUsersProgramCanNeitherTakeNorReachTheChannel();
    void aSecondStartOfTheProgramHandsOverAndEnds();
    void aFolderThatCannotBeLockedLeavesTheSocketAlone();

private:
    std::unique_ptr<ProgramUnderTest> m_program;
    frmTaskbar* m_tray = nullptr;
};

void TrayTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2030, 3, 8, 9, 30);
}

void TrayTest::cleanup()
{
    m_program.reset();
    m_tray = nullptr;
}

void TrayTest::startsActiveWithTheIconAndTip()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    FakeTrayService& tray = m_program->tray;
    QCOMPARE(tray.calls, QStringList { "add" });
    QVERIFY(tray.icon);
    QCOMPARE(tray.icon->szTip, "Tickwell Alarm Clock");
    QCOMPARE(tray.icon->uID, 1);
    QCOMPARE(tray.icon->hIcon.cacheKey(), m_tray->imgActivatedIcon.cacheKey());
    QCOMPARE(tray.menuEntries(),
        QStringList({ "Edit Alarms", "Deactivate Alarm Clock", "Shut Down Alarm Clock", "-", "Preferences...",
            "About..." }));
    QVERIFY(m_program->editor().tmrTimer.enabled());
    QVERIFY(!m_tray->isVisible());
    QVERIFY(!m_program->editor().isVisible());
    QCOMPARE(m_tray->mnuPopup.title(), "Pop Up Menu");
}

void TrayTest::deactivateAndActivateSwitchAllThreeTogether()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    FakeTrayService& tray = m_program->tray;

    m_tray->mnuPopupDeactivate->trigger();
    QVERIFY(!m_program->editor().tmrTimer.enabled());
    QCOMPARE(tray.icon->hIcon.cacheKey(), m_tray->imgDeactivatedIcon.cacheKey());
    QCOMPARE(tray.icon->szTip, "Tickwell Alarm Clock");
    QCOMPARE(tray.menuEntries(),
        QStringList({ "Edit Alarms", "Activate Alarm Clock", "Shut Down Alarm Clock", "-", "Preferences...",
            "About..." }));

    m_tray->mnuPopupActivate->trigger();
    QVERIFY(m_program->editor().tmrTimer.enabled());
    QCOMPARE(tray.icon->hIcon.cacheKey(), m_tray->imgActivatedIcon.cacheKey());
    QCOMPARE(tray.menuEntries(),
        QStringList({ "Edit Alarms", "Deactivate Alarm Clock", "Shut Down Alarm Clock", "-", "Preferences...",
            "About..." }));
    QCOMPARE(tray.calls, QStringList({ "add", "modify", "modify" }));

    // Running a switch in the state it leads to changes nothing.
    m_tray->mnuPopupActivate_Click();
    QVERIFY(m_program->editor().tmrTimer.enabled());
    QCOMPARE(tray.icon->hIcon.cacheKey(), m_tray->imgActivatedIcon.cacheKey());
}

void TrayTest::alarmsDueWhileInactiveAreDealtWithByTheFirstTickAfter()
{
    m_program->writeAlarmFile(record(2030, 3, 8, 9, 31, "missed") + record(2030, 3, 8, 9, 40, "in its minute")
        + record(2030, 3, 8, 10, 0, "later"));
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    m_tray->mnuPopupDeactivate_Click();
    m_program->clock.set(2030, 3, 8, 9, 40, 5);
    m_tray->mnuPopupActivate_Click();
    m_program->editor().tmrTimer_Timer();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QVERIFY(m_program->messageBoxes.shown.front().text.startsWith("in its minute"));
    QCOMPARE(m_program->rows(m_program->editor().lstReminders), QStringList { "later" });
    QCOMPARE(m_program->alarmFile(), record(2030, 3, 8, 10, 0, "later"));
}

void TrayTest::doubleClickOpensTheEditorAndASingleClickDoesNot()
{
    m_program->start();
    FakeTrayService& tray = m_program->tray;
    tray.click(TrayService::Activation::Trigger);
    QVERIFY(!m_program->editor().isVisible());
    tray.click(TrayService::Activation::Context);
    QVERIFY(!m_program->editor().isVisible());
    tray.click(TrayService::Activation::DoubleClick);
    QVERIFY(m_program->editor().isVisible());
}

void TrayTest::activationOpensTheEditorWhereTheHostReportsNoDoubleClicks()
{
    m_program->tray.doubleClicks = false;
    m_program->start();
    m_program->tray.click(TrayService::Activation::Trigger);
    QVERIFY(m_program->editor().isVisible());
}

void TrayTest::editAlarmsResetsAnOpenEditor()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    m_tray->mnuPopupEdit->trigger();
    frmMain& editor = m_program->editor();
    QVERIFY(editor.isVisible());
    editor.cboMonth.setListIndex(5);
    editor.updYear.setValue(2031);
    editor.lblDate_Click(17);
    editor.txtHour.setText("4");

    m_program->clock.set(2030, 3, 8, 9, 45);
    m_tray->mnuPopupEdit->trigger();
    QCOMPARE(editor.cboMonth.listIndex(), 2);
    QCOMPARE(editor.txtYear.text(), "2030");
    QCOMPARE(editor.selectedDay(), 8);
    QCOMPARE(editor.txtHour.text(), "9");
    QCOMPARE(editor.txtMin.text(), "45");
    QCOMPARE(editor.lblCurrentTimeDate.caption(), "It is now : 9:45 AM  Friday, March 8, 2030");
}

void TrayTest::anEditorLoadedAnewIsActiveAndSoIsTheTray()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    m_tray->mnuPopupDeactivate_Click();
    forms::frmMain->Show();
    // Closed by its frame, the editor is only hidden: the clock stays off.
    forms::frmMain.instance()->close();
    QVERIFY(!forms::frmMain.isEmpty());
    QVERIFY(!forms::frmMain.instance()->tmrTimer.enabled());
    QVERIFY(m_tray->mnuPopupActivate->isVisible());

    forms::frmMain.Unload();
    QVERIFY(forms::frmMain.isEmpty());
    m_tray->mnuPopupEdit_Click(); // loads a fresh editor, whose clock runs
    QVERIFY(forms::frmMain.instance()->tmrTimer.enabled());
    QCOMPARE(m_program->tray.icon->hIcon.cacheKey(), m_tray->imgActivatedIcon.cacheKey());
    QVERIFY(m_tray->mnuPopupDeactivate->isVisible());
    QVERIFY(!m_tray->mnuPopupActivate->isVisible());
}

void TrayTest::aboutComposesItsCaptionsAtLoad()
{
    m_program->start();
    frmAbout& about = *forms::frmAbout.instance();
    QCOMPARE(about.lblProgramName.caption(), "Tickwell Alarm Clock v1.1");
    QCOMPARE(about.lblProgrammer.caption(), "Programmed by Haldor Venn");
    QVERIFY(about.lblEmail(0).caption().endsWith("@example.org"));
    QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(about.lblProgramName.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(about.lblEmail(0).palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(about.minimumSize(), QSize(225, 165));
    QCOMPARE(about.maximumSize(), QSize(225, 165));
    QVERIFY(about.windowTitle().trimmed().isEmpty());
    const QImage icon = about.windowIcon().pixmap(16).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
    // Whatever the font, every caption is seen whole.
    for (const Label* label : { &about.lblProgramName, &about.lblProgrammer, &about.lblEmail(0) })
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->caption()));
    QVERIFY(!about.Image1.picture().isNull());
    QVERIFY(!about.imgTock.picture().isNull());

    // Never the captions it was made with.
    const frmAbout fresh(m_program->services);
    QCOMPARE(fresh.lblProgramName.caption(), "Tickwell Alarm Clock v0.0");
    QCOMPARE(fresh.lblProgrammer.caption(), "Programmed By Haldor Venn");
}

void TrayTest::aboutWorksWithAndWithoutTheEditor()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    bool shown = false;
    closeAboutWhenShown(this, &shown);
    m_tray->mnuPopupAbout->trigger();
    QVERIFY(shown);
    QVERIFY(!forms::frmAbout.instance()->isVisible());
    QVERIFY(!m_program->editor().isVisible());

    m_tray->mnuPopupEdit_Click();
    shown = false;
    closeAboutWhenShown(this, &shown);
    m_tray->mnuPopupAbout->trigger();
    QVERIFY(shown);
    QVERIFY(m_program->editor().isVisible());
}

void TrayTest::aboutClosedByTheWindowSystemIsLoadedAnew()
{
    m_program->start();
    m_tray = forms::frmTaskbar.instance();
    QTimer::singleShot(0, this, [] { forms::frmAbout.instance()->close(); });
    m_tray->mnuPopupAbout_Click();
    QVERIFY(forms::frmAbout.isEmpty());
    QCOMPARE(m_program->events.last(), "unload frmAbout");

    bool shown = false;
    closeAboutWhenShown(this, &shown);
    m_tray->mnuPopupAbout_Click();
    QVERIFY(shown);
    QCOMPARE(m_program->events.count("load frmAbout"), 2);
    QCOMPARE(forms::frmAbout.instance()->lblProgramName.caption(), "Tickwell Alarm Clock v1.1");
}

void TrayTest::shutdownFromEitherStateUnloadsInOrderAndRemovesTheIcon()
{
    for (const bool active : { true, false }) {
        m_program = std::make_unique<ProgramUnderTest>();
        m_program->start();
        m_tray = forms::frmTaskbar.instance();
        if (!active)
            m_tray->mnuPopupDeactivate_Click();
        m_tray->mnuPopupEdit_Click();
        // The Preferences window, made when first opened, goes first.
        if (active)
            m_tray->mnuPopupPreferences_Click();
        m_program->events.clear();
        m_tray->mnuPopupExit->trigger();
        QStringList unloads { "unload frmAbout", "unload frmMain", "unload frmTaskbar" };
        if (active)
            unloads.prepend("unload frmPreferences");
        QCOMPARE(m_program->events, unloads);
        QCOMPARE(m_program->tray.calls.last(), "remove");
        QVERIFY(!m_program->tray.icon);
        QVERIFY(forms::frmAbout.isEmpty() && forms::frmMain.isEmpty() && forms::frmTaskbar.isEmpty()
            && forms::frmPreferences.isEmpty());
    }
}

void TrayTest::withoutANotificationAreaTheEditorIsShown()
{
    m_program->tray.available = false;
    m_program->start();
    QVERIFY(m_program->editor().isVisible());
    QCOMPARE(m_program->tray.calls, QStringList { "add" }); // it appears once an area does
}

void TrayTest::aSecondClockForTheSameFileHandsOver()
{
    // One file, reached from two directories: one holds it, the other a
    // symbolic link to it; and a link to another file in the same folder.
    TemporaryDirectory directory;
    std::filesystem::create_directories(directory / "data");
    std::filesystem::create_directories(directory / "elsewhere");
    std::filesystem::create_directories(directory / "other");
    std::filesystem::create_symlink("../data/Alarm.dat", directory / "elsewhere" / "Alarm.dat");
    std::filesystem::create_symlink("../data/Other.dat", directory / "other" / "Alarm.dat");
    const AlarmFile file(directory / "data");
    FolderLock lock(file.resolvedDirectory());
    const Claimed first = claimFolder(lock, file);
    QCOMPARE(first.outcome, Claimed::Outcome::TheClock);
    QVERIFY2(first.warning.empty(), first.warning.c_str());
    ClockServer server(file, lock.held());
    QVERIFY2(server.failure().empty(), server.failure().c_str());

    // The commands heard, each answered to its own caller; a list of ten
    // thousand alarms comes whole.
    std::vector<ClockCommand> heard;
    std::vector<ClockReply> list;
    for (int i = 0; i < 10000; ++i)
        list.push_back(
            { ReplyKind::Alarm, "2030-10-05 09:31", "alarm " + std::to_string(i) + "\r\nline two" });
    list.push_back({ ReplyKind::Ok, {}, {} });
    connect(&server, &ClockServer::commandReceived, &server, [&](int caller, const ClockCommand& command) {
        heard.push_back(command);
        for (const ClockReply& reply : command.kind == CommandKind::List ? list : std::vector { list.back() })
            server.reply(caller, reply);
    });
    const Asked shown = askFromAnotherThread(directory / "elsewhere", {});
    QVERIFY2(shown.outcome == Asked::Outcome::Answered, shown.why.c_str());
    QVERIFY(shown.replies == std::vector { list.back() });
    QVERIFY(heard == std::vector { ClockCommand {} });

    // Only a whole, well-formed line is a command; and callers that say
    // nothing, more of them than the clock keeps, make room for one that
    // does.
    std::vector<int> silent;
    for (std::size_t i = 0; i < ClockServer::maxCallers + 4; ++i)
        silent.push_back(callWith(channelOf(directory / "data"), ""));
    const int garbled = callWith(channelOf(directory / "data"), "lisst\tAlarm.dat\n");
    const int flooding = callWith(channelOf(directory / "data"), std::string(5000, 'x'));
    const Asked listed = askFromAnotherThread(directory / "elsewhere", { CommandKind::List, {}, {} });
    QCOMPARE(listed.outcome, Asked::Outcome::Answered);
    QCOMPARE(listed.replies.size(), list.size());
    QCOMPARE(listed.replies[9999].text, "alarm 9999\nline two");
    QCOMPARE(heard.size(), 2u);
    // It was answered at once, before the list.
    char answer[200] {};
    QVERIFY(::recv(garbled, answer, sizeof answer - 1, MSG_DONTWAIT) > 0);
    QVERIFY2(std::string_view(answer).starts_with("refused\tThe clock did not understand"), answer);
    for (const int socket : silent)
        ::close(socket);
    ::close(garbled);
    ::close(flooding);

    // Another file in the clock's folder: refused at once, naming the
    // clock's file.
    const Asked other = askFromAnotherThread(directory / "other", { CommandKind::List, {}, {} });
    QCOMPARE(other.outcome, Asked::Outcome::Answered);
    QCOMPARE(other.replies.back().kind, ReplyKind::Refused);
    QVERIFY2(other.replies.back().text.find(
                 file.displayPath().string() + ", not on Other.dat: one clock runs per folder")
            != std::string::npos,
        other.replies.back().text.c_str());
    QCOMPARE(heard.size(), 2u);

    // Asked while this thread cannot answer, the clock does not answer: the
    // second may not run beside it.
    const AlarmFile elsewhere(directory / "elsewhere");
    FolderLock theirLock(elsewhere.resolvedDirectory());
    const Claimed unanswered = claimFolder(
        theirLock, elsewhere, { std::chrono::milliseconds(300), std::chrono::milliseconds(300), {} });
    QCOMPARE(unanswered.outcome, Claimed::Outcome::Refused);
    QVERIFY2(unanswered.why.find("has not answered") != std::string::npos, unanswered.why.c_str());

    const AlarmFile another(directory.path());
    FolderLock anotherLock(another.resolvedDirectory());
    QCOMPARE(claimFolder(anotherLock, another).outcome, Claimed::Outcome::TheClock);

    // Neither a lock nor a channel that can be made at all is another clock:
    // this one runs, and says what it lacks. (No descriptor can be opened
    // while the limit stands.)
    TemporaryDirectory third;
    const AlarmFile unguarded(third.path());
    FolderLock noLock(unguarded.resolvedDirectory());
    rlimit files {};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const rlimit none { 0, files.rlim_max };
    ::setrlimit(RLIMIT_NOFILE, &none);
    const Claimed claimed = claimFolder(noLock, unguarded);
    const ClockServer unheard(unguarded, noLock.held());
    ::setrlimit(RLIMIT_NOFILE, &files);
    QCOMPARE(claimed.outcome, Claimed::Outcome::TheClock);
    QVERIFY2(
        claimed.warning.find(unguarded.displayPath().string() + " cannot be locked") != std::string::npos,
        claimed.warning.c_str());
    QVERIFY(!unheard.failure().empty());
}

void TrayTest::anotherUsersProgramCanNeitherTakeNorReachTheChannel()
{
    if (::geteuid() != 0)
        QSKIP("only root can be another user here");
    TemporaryDirectory directory;
    // Another user's program goes for the clock's name before the clock
    // starts, and for the clock once it runs: it has no right to either
    // (without root's capabilities, which it does not keep).
    const auto tryAsAnotherUser = [&] {
        QProcess other;
        other.start(QStringLiteral("setpriv"),
            { "--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3", "-c",
                "import socket, sys\n"
                "for how in ('bind', 'connect'):\n"
                "    try:\n"
                "        getattr(socket.socket(socket.AF_UNIX), how)(sys.argv[1]); print(how, 'done')\n"
                "    except OSError as error: print(how, error.strerror)\n",
                QString::fromStdString(channelOf(directory.path()).string()) });
        other.waitForFinished(10000);
        return QString::fromLocal8Bit(other.readAllStandardOutput());
    };
    QCOMPARE(tryAsAnotherUser(), "bind Permission denied\nconnect Permission denied\n");
    const AlarmFile file(directory.path());
    FolderLock lock(file.resolvedDirectory());
    QCOMPARE(claimFolder(lock, file).outcome, Claimed::Outcome::TheClock);
    ClockServer server(file, lock.held());
    QVERIFY2(server.failure().empty(), server.failure().c_str());
    QCOMPARE(tryAsAnotherUser(), "bind Permission denied\nconnect Permission denied\n");
    connect(&server, &ClockServer::commandReceived, &server, [&](int caller, const ClockCommand&) {
        server.reply(caller, { ReplyKind::Ok, {}, {} });
    });
    QCOMPARE(askFromAnotherThread(directory.path(), {}).outcome, Asked::Outcome::Answered);
}

void TrayTest::aSecondStartOfTheProgramHandsOverAndEnds()
{
    // The second start comes from another directory whose "Alarm.dat" is a
    // link to the first one's, with a runtime folder of its own whose path
    // is longer than a local socket's path may be: it finds the clock in the
    // runtime folder of the process that holds the folder's lock.
    TemporaryDirectory directory;
    std::filesystem::create_directories(directory / "first");
    std::filesystem::create_directories(directory / "second");
    std::filesystem::create_symlink("../first/Alarm.dat", directory / "second" / "Alarm.dat");
    writeFile(directory / "first" / "Alarm.dat", record(2000, 1, 1, 8, 0, "past"));
    const std::filesystem::path runtime = directory / std::string(120, 'r');
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);

    QProcess first;
    first.setWorkingDirectory(QString::fromStdString((directory / "first").string()));
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(TICKWELL_BINARY), {});
    QVERIFY(first.waitForStarted());
    // The past alarm dropped: the clock has claimed the file and loaded it.
    QTRY_COMPARE_WITH_TIMEOUT(readFile(directory / "first" / "Alarm.dat"), "", 10000);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.string()));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(QString::fromStdString((directory / "second").string()));
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QStringLiteral(TICKWELL_BINARY), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    // From another network namespace too: the channel is a file. (Only
    // where this process may make a network namespace.)
    if (QProcess::execute(QStringLiteral("unshare"), { "-n", "true" }) == 0) {
        QProcess isolated;
        isolated.setWorkingDirectory(QString::fromStdString((directory / "second").string()));
        isolated.start(QStringLiteral("unshare"), { "-n", QStringLiteral(TICKWELL_BINARY) });
        QVERIFY(isolated.waitForFinished(10000));
        QCOMPARE(isolated.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
    }

    first.terminate();
    QVERIFY(first.waitForFinished(5000));
    QCOMPARE(first.exitCode(), 0);
}

void TrayTest::aFolderThatCannotBeLockedLeavesTheSocketAlone()
{
    // A folder the clock may enter but not read; root obeys that only
    // without its capabilities.
    TemporaryDirectory directory;
    std::filesystem::permissions(
        directory.path(), std::filesystem::perms::owner_write | std::filesystem::perms::owner_exec);
    const auto start = [&](QProcess& process) {
        process.setWorkingDirectory(QString::fromStdString(directory.path().string()));
        if (::geteuid() == 0)
            process.start(QStringLiteral("setpriv"),
                { "--bounding-set=-dac_override,-dac_read_search",
                    "--inh-caps=-dac_override,-dac_read_search", QStringLiteral(TICKWELL_BINARY) });
        else
            process.start(QStringLiteral(TICKWELL_BINARY), {});
    };
    QProcess clock;
    start(clock);
    QString said;
    QTRY_VERIFY2_WITH_TIMEOUT(
        (said += QString::fromLocal8Bit(clock.readAllStandardError())).contains("cannot be locked"),
        qPrintable(said), 10000);
    QVERIFY2(said.contains("tickwell: the folder of " + pathOf(directory.path())), qPrintable(said));
    QCOMPARE(clock.state(), QProcess::Running);

    // This user's socket still finds the running clock.
    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);

    clock.terminate();
    QVERIFY(clock.waitForFinished(5000));
    QCOMPARE(clock.exitCode(), 0);
}

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
