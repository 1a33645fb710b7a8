#include "frame/Clock.h"
#include "frame/Forms.h"
#include "frame/MessageBoxes.h"
#include "frame/Services.h"
#include "frame/TerminationSignals.h"
#include "frame/modMain.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <csignal>

int main(int argc, char* argv[])
{
    using namespace tickwell;

    // A write past the file-size limit then fails like a full disk, instead
    // of killing the clock.
    std::signal(SIGXFSZ, SIG_IGN);
    TerminationSignals::block();

    QApplication app(argc, argv);
    TerminationSignals termination;
    QApplication::setApplicationName(QStringLiteral("tickwell"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setDesktopFileName(QStringLiteral("tickwell"));
    // The program has no main window; it ends when it is shut down.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    QtMessageBoxes messageBoxes;
    const Services services { clock, messageBoxes, {} };
    forms::installFactories(services);

    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, &EndProgram);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager&) { EndProgram(); });

    Main();
    // From the event loop, once the clock runs: it may take a while.
    QTimer::singleShot(0, &app, [&messageBoxes] { messageBoxes.prepare(); });
    const int status = QApplication::exec();
    forms::destroyAll();
    return status;
}
