// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon, its menu and the clock's two states; the About window; one
// clock per alarm file.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmFile.h"
#include "frame/desktop/DirectoryLock.h"
#include "frame/desktop/LockHolder.h"
#include "frame/desktop/SingleClock.h"

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
// Writes `bytes` to the clock's socket as some other program might, and hangs up.
void sendRaw(const QString& name, const std::string& bytes)
{
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = name.toUtf8();
    std::memcpy(address.sun_path + 1, path.constData(), std::size_t(path.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(path.size()));
    QCOMPARE(::connect(socket, reinterpret_cast<const sockaddr*>(&address), length), 0);
    QCOMPARE(::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    ::close(socket);
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
    void aNameHeldByAnotherUsersProgramDoesNotStopTheClock();
    void aFolderHasOneLockHolderAtATime();
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
    // symbolic link to it.
    TemporaryDirectory directory;
    std::filesystem::create_directories(directory / "data");
    std::filesystem::create_directories(directory / "elsewhere");
    std::filesystem::create_symlink("../data/Alarm.dat", directory / "elsewhere" / "Alarm.dat");
    SingleClock first(AlarmFile(directory / "data"));
    QCOMPARE(first.claim(), SingleClock::Claim::TheClock);
    QVERIFY2(first.warnings().isEmpty(), qPrintable(first.warnings().join('\n')));
    QSignalSpy shows(&first, &SingleClock::showRequested);

    // The second clock asks from another thread, as another process would,
    // while this one goes on serving its event loop.
    SingleClock::Claim handedOver = SingleClock::Claim::TheClock;
    QThread* asker = QThread::create([&] {
        SingleClock asking(AlarmFile(directory / "elsewhere"));
        handedOver = asking.claim(5000);
    });
    asker->start();
    QTRY_VERIFY_WITH_TIMEOUT(asker->isFinished(), 6000);
    delete asker;
    QCOMPARE(handedOver, SingleClock::Claim::HandedOver);
    QCOMPARE(shows.count(), 1);

    // Commands: only whole, well-formed lines are heard, and each is
    // answered to its own caller.
    QSignalSpy commands(&first, &SingleClock::commandReceived);
    connect(&first, &SingleClock::commandReceived, &first, [&first](int caller, const ClockCommand& command) {
        if (command.kind == CommandKind::List)
            first.reply(caller, { ReplyKind::Alarm, "2030-10-05 09:31", "a\r\nb" });
        first.reply(caller, { ReplyKind::Ok, {}, {} });
    });
    sendRaw(first.socketName(), "lisst\nadd\tsoon\tx\nclear\t2030-10-05 09:31\tx\t\n");
    sendRaw(first.socketName(), std::string(5000, 'x') + "\nquit\n");
    std::vector<ClockReply> replies;
    SingleClock::Delivery delivered = SingleClock::Delivery::Refused;
    QThread* commander = QThread::create([&] {
        SingleClock asking(AlarmFile(directory / "elsewhere"));
        delivered = asking.deliver({ CommandKind::List, {}, {} }, replies);
    });
    commander->start();
    QTRY_VERIFY_WITH_TIMEOUT(commander->isFinished(), 6000);
    delete commander;
    QCOMPARE(delivered, SingleClock::Delivery::Answered);
    QVERIFY(replies
        == (std::vector<ClockReply> {
            { ReplyKind::Alarm, "2030-10-05 09:31", "a\r\nb" }, { ReplyKind::Ok, {}, {} } }));
    QCOMPARE(commands.count(), 1);

    // Asked while this thread cannot answer, the clock does not answer: the
    // second may not run beside it.
    SingleClock unanswered(AlarmFile(directory / "elsewhere"));
    QCOMPARE(unanswered.claim(300), SingleClock::Claim::Refused);
    QVERIFY2(unanswered.refusal().contains(pathOf(directory / "elsewhere"))
            && unanswered.refusal().contains("does not answer"),
        qPrintable(unanswered.refusal()));

    SingleClock other(AlarmFile(directory.path()));
    QCOMPARE(other.claim(), SingleClock::Claim::TheClock);

    // Neither a lock nor a socket that can be made at all is another clock:
    // this one runs, and says what it lacks. (No descriptor can be opened
    // while the limit stands.)
    TemporaryDirectory third;
    SingleClock unguarded { AlarmFile(third.path()) };
    rlimit files {};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const rlimit none { 0, files.rlim_max };
    ::setrlimit(RLIMIT_NOFILE, &none);
    const SingleClock::Claim claim = unguarded.claim();
    ::setrlimit(RLIMIT_NOFILE, &files);
    QCOMPARE(claim, SingleClock::Claim::TheClock);
    const QString warnings = unguarded.warnings().join('\n');
    QCOMPARE(unguarded.warnings().size(), 2);
    QVERIFY2(warnings.contains(pathOf(third.path())) && warnings.contains("@tickwell-")
            && warnings.contains("will not be noticed"),
        qPrintable(warnings));
}

void TrayTest::aNameHeldByAnotherUsersProgramDoesNotStopTheClock()
{
    if (::geteuid() != 0)
        QSKIP("only root can listen as another user here");
    TemporaryDirectory directory;
    SingleClock clock { AlarmFile(directory.path()) };
    // Another user's program takes the clock's name first.
    QProcess squatter;
    squatter.start(QStringLiteral("setpriv"),
        { "--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3", "-c",
            "import socket, sys, time\n"
            "s = socket.socket(socket.AF_UNIX)\n"
            "s.bind('\\0' + sys.argv[1]); s.listen()\n"
            "print('listening', flush=True)\n"
            "while True: s.accept()[0].close()\n",
            clock.socketName() });
    QVERIFY(squatter.waitForReadyRead(10000));
    QCOMPARE(clock.claim(), SingleClock::Claim::TheClock);
    QCOMPARE(clock.warnings().size(), 1);
    QVERIFY2(clock.warnings().first().contains("will not run"), qPrintable(clock.warnings().first()));
    // The lock still keeps a second clock from running beside it, though
    // it cannot be handed over to.
    SingleClock second { AlarmFile(directory.path()) };
    QCOMPARE(second.claim(1000), SingleClock::Claim::Refused);
    squatter.kill();
    squatter.waitForFinished();
}

void TrayTest::aFolderHasOneLockHolderAtATime()
{
    // Each lock opens the folder afresh, as another process would.
    TemporaryDirectory directory;
    std::optional<DirectoryLock> first(directory.path());
    DirectoryLock second(directory.path());
    QCOMPARE(first->tryLock(), DirectoryLock::State::Held);
    QCOMPARE(second.tryLock(), DirectoryLock::State::Busy);
    QCOMPARE(second.tryLock(), DirectoryLock::State::Busy);
    const LockHolder holder = findLockHolder(second.device(), second.inode());
    QCOMPARE(holder.pid, ::getpid());
    QVERIFY(holder.userKnown && holder.user == ::geteuid() && !holder.otherNetwork);
    first.reset();
    QCOMPARE(second.tryLock(), DirectoryLock::State::Held);
    QCOMPARE(findLockHolder(second.device(), second.inode()).pid, ::getpid());

    DirectoryLock missing(directory / "gone");
    QCOMPARE(missing.tryLock(), DirectoryLock::State::Unavailable);
    QCOMPARE(missing.error(), ENOENT);
}

void TrayTest::aSecondStartOfTheProgramHandsOverAndEnds()
{
    // The second start comes from another directory whose "Alarm.dat" is a
    // link to the first one's, with a runtime folder of its own whose path
    // is longer than a local socket's path may be.
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

    // From another network namespace the socket cannot be reached, but the
    // folder's lock can: that start must not run beside the first. (Only
    // where this process may make a network namespace.)
    if (QProcess::execute(QStringLiteral("unshare"), { "-n", "true" }) == 0) {
        QProcess isolated;
        isolated.setWorkingDirectory(QString::fromStdString((directory / "second").string()));
        isolated.start(QStringLiteral("unshare"), { "-n", QStringLiteral(TICKWELL_BINARY) });
        QVERIFY(isolated.waitForFinished(10000));
        const QString said = QString::fromLocal8Bit(isolated.readAllStandardError());
        QCOMPARE(isolated.exitCode(), 1);
        QVERIFY2(said.contains("tickwell: another clock runs for " + pathOf(directory / "second"))
                && said.contains("another network namespace"),
            qPrintable(said));
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
