// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFile.h"
#include "commandline/ClockClient.h"
#include "commandline/ClockServer.h"
#include "commandline/ClockSide.h"
#include "commandline/FolderLock.h"
#include "commandline/RunCommandLine.h"
#include "frame/DisplayCheck.h"
#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/AlarmSound.h"
#include "frame/desktop/DBusNotifications.h"
#include "frame/desktop/DesktopId.h"
#include "frame/desktop/DisplayLoss.h"
#include "frame/desktop/FreedMemory.h"
#include "frame/desktop/MachineWake.h"
#include "frame/desktop/MessageBoxes.h"
#include "frame/desktop/SessionEnd.h"
#include "frame/desktop/TerminationSignals.h"
#include "frame/desktop/TrayService.h"
#include "frame/desktop/WallClockWakes.h"
#include "frame/modMain.h"
#include "preferences/PreferencesStore.h"
#include "tray/frmTaskbar.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {
// Two clocks on one file would announce every alarm twice: this one says why
// it does not run, in a box too where there is a desktop to show it on.
int refuseToRun(const std::string& why, int& argc, char** argv)
{
    using namespace tickwell;
    std::fprintf(stderr, "tickwell: %s; this clock does not start\n", why.c_str());
    std::optional<DisplayCheck> quietlyWithout(std::in_place, DisplayCheck::OnFailure::Quiet);
    const QApplication app(argc, argv);
    quietlyWithout.reset();
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return 1;
    TerminationSignals termination;
    QtMessageBoxes boxes;
    // Told to end, it does not wait for the user to read the box.
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &termination,
        [&boxes] { boxes.closeAll(); });
    const QString text = QString::fromStdString(why);
    boxes.MsgBox(text.left(1).toUpper() + text.mid(1)
            + QStringLiteral(
                ".\r\n\r\nTwo clocks would announce every alarm twice: this one does not start."),
        MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
    return 1;
}
} // namespace

int main(int argc, char* argv[])
{
    using namespace tickwell;

    // A write past the file-size limit then fails like a full disk, instead
    // of killing the clock.
    std::signal(SIGXFSZ, SIG_IGN);
    TerminationSignals::block();
    TimeZoneFile::nameTheDefault();

    // A command for the clock needs no display: a script, a terminal or a
    // desktop without one can send it.
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const CommandLine line = parseCommandLine(arguments);
    if (const std::optional<int> status = RunCommandLine(line))
        return *status;
    // Asked for with no clock running: this start is the clock, and opens it.
    const bool openPreferences
        = line.action == CommandLine::Action::Command && line.command.kind == CommandKind::Preferences;

    // One clock per alarm folder, however the working directory reaches it;
    // a start that finds one hands over to it, and needs no display either.
    const AlarmFile alarmFile;
    FolderLock folderLock(alarmFile.resolvedDirectory());
    const Claimed claimed = claimFolder(folderLock, alarmFile);
    if (claimed.outcome == Claimed::Outcome::HandedOver)
        return 0;
    if (claimed.outcome == Claimed::Outcome::Refused)
        return refuseToRun(claimed.why, argc, argv);
    if (!claimed.warning.empty())
        std::fprintf(stderr, "tickwell: %s\n", claimed.warning.c_str());

    std::optional<DisplayCheck> displayCheck(std::in_place);
    QApplication app(argc, argv);
    displayCheck.reset();
    QApplication::setApplicationName(QStringLiteral("tickwell"));
    QApplication::setApplicationVersion(
        QString::fromLatin1(programVersion.data(), qsizetype(programVersion.size())));
    QApplication::setDesktopFileName(QString::fromLatin1(desktopId));
    // The program has no main window; it ends when it is shut down.
    QApplication::setQuitOnLastWindowClosed(false);

    TerminationSignals termination;
    ClockServer server(alarmFile, folderLock.held());
    if (!server.failure().empty())
        std::fprintf(stderr, "tickwell: the channel for commands to this clock cannot be made (%s); %s\n",
            server.failure().c_str(),
            folderLock.held() ? "a second start for this alarm file cannot reach this clock and will not run"
                              : "a second start for this alarm file will not be noticed");

    SessionEnd sessionEnd;
    SystemClock clock;
    QtMessageBoxes messageBoxes;
    QSystemTrayService tray;
    CanberraSound sound;
    DBusNotifications notifications;
    WallClockWakes wakes(clock);
    WakeAlarmTimer machineWake;
    PreferencesFile preferences(PreferencesFile::defaultPath(desktopId),
        [](const std::string& problem) { std::fprintf(stderr, "tickwell: %s\n", problem.c_str()); });
    const Services services { clock, wakes, machineWake, messageBoxes, tray, notifications, sound,
        preferences, {} };
    forms::installFactories(services);

    const auto endProgram = [&messageBoxes] { EndProgram(messageBoxes); };
    // The display going ends the clock as the session's end does, without
    // the event loop the toolkit will not come back to.
    const DisplayLoss displayLoss([&messageBoxes] { EndWithoutDisplay(messageBoxes); });
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, endProgram);
    QObject::connect(&sessionEnd, &SessionEnd::ending, &app, endProgram);
    QObject::connect(
        &server, &ClockServer::commandReceived, &app, [&](int caller, const ClockCommand& command) {
            RunClockCommand(
                clock, command, [&server, caller](const ClockReply& reply) { server.reply(caller, reply); });
        });

    Main();
    if (openPreferences)
        QTimer::singleShot(0, &app, [] { forms::frmTaskbar->mnuPopupPreferences_Click(); });
    // Loading the windows and the alarms left freed memory behind.
    QTimer::singleShot(0, &app, [] { returnFreedMemory(); });
    const int status = QApplication::exec();
    forms::destroyAll();
    if (!sound.finish(std::chrono::seconds(1))) {
        // The sound system hangs, and holds the sound's thread: everything
        // of the clock's own is done, the libraries' clean-up is left out.
        // (A second at most: a clock told to terminate ends within two.)
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
