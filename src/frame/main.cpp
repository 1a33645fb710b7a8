// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFile.h"
#include "frame/ClockCommands.h"
#include "frame/CommandClient.h"
#include "frame/CommandLine.h"
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
#include "frame/desktop/SingleClock.h"
#include "frame/desktop/TerminationSignals.h"
#include "frame/desktop/TrayService.h"
#include "frame/desktop/WallClockWakes.h"
#include "frame/modMain.h"
#include "preferences/PreferencesStore.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
// Two clocks on one file would announce every alarm twice: this one says why
// it does not run, in a box too where there is a desktop to show it on.
int refuseToRun(const QString& why, tickwell::TerminationSignals& termination)
{
    using namespace tickwell;
    std::fprintf(stderr, "tickwell: %s; this clock does not start\n", qPrintable(why));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        QtMessageBoxes boxes;
        // Told to end, it does not wait for the user to read the box.
        const QMetaObject::Connection closing = QObject::connect(&termination,
            &TerminationSignals::terminationRequested, &termination, [&boxes] { boxes.closeAll(); });
        boxes.MsgBox(why.left(1).toUpper() + why.mid(1)
                + QStringLiteral(
                    ".\r\n\r\nTwo clocks would announce every alarm twice: this one does not start."),
            MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
        QObject::disconnect(closing);
    }
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (asksForCommand(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("tickwell"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
        const CommandLine line = parseCommandLine(arguments);
        if (line.exitStatus)
            return *line.exitStatus;
        if (line.command)
            return RunCommandLine(*line.command);
        // --edit alone after all: a plain start, below.
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tickwell"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setDesktopFileName(QString::fromLatin1(desktopId));
    // The program has no main window; it ends when it is shut down.
    QApplication::setQuitOnLastWindowClosed(false);

    TerminationSignals termination;
    // One clock per alarm file, however the working directory reaches it.
    SingleClock single { AlarmFile() };
    const SingleClock::Claim claim = single.claim();
    for (const QString& warning : single.warnings())
        std::fprintf(stderr, "tickwell: %s\n", qPrintable(warning));
    if (claim == SingleClock::Claim::HandedOver)
        return 0;
    if (claim == SingleClock::Claim::Refused)
        return refuseToRun(single.refusal(), termination);

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
    QObject::connect(&single, &SingleClock::showRequested, &app, &ShowEditorOnRequest);
    QObject::connect(
        &single, &SingleClock::commandReceived, &app, [&](int caller, const ClockCommand& command) {
            RunClockCommand(
                clock, command, [&single, caller](const ClockReply& reply) { single.reply(caller, reply); });
        });

    Main();
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
