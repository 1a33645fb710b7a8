// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/DisplayLoss.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tickwell {

namespace {
// The toolkit's messages reach a plain function, and through this the one watch.
std::atomic<DisplayLoss*> watching { nullptr };
std::atomic<bool> ending { false };
} // namespace

DisplayLoss::DisplayLoss(std::function<void()> end)
    : m_end(std::move(end))
{
    watching.store(this);
    m_passOn = qInstallMessageHandler(&DisplayLoss::onMessage);
}

DisplayLoss::~DisplayLoss()
{
    qInstallMessageHandler(m_passOn);
    watching.store(nullptr);
}

bool DisplayLoss::saysDisplayLost(const QString& message)
{
    // The platform plugins' own words, said just before they end the process.
    return message.startsWith(QLatin1String("The X11 connection broke (error"))
        || message.startsWith(QLatin1String("The Wayland connection broke"))
        || message.startsWith(QLatin1String("The Wayland connection experienced a fatal error"));
}

void DisplayLoss::onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    DisplayLoss* watch = watching.load();
    if (watch && watch->m_passOn)
        watch->m_passOn(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
    if (!watch || type != QtWarningMsg || !saysDisplayLost(message))
        return;
    QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() != application->thread()) {
        // Seen on a thread of the plugin's: the end belongs on the program's
        // thread, and this one must not end the process under it meanwhile.
        QMetaObject::invokeMethod(
            application, [watch] { watch->finish(); }, Qt::QueuedConnection);
        for (;;)
            ::pause();
    }
    watch->finish();
}

void DisplayLoss::finish()
{
    // Said again while the end runs: it goes on where it was.
    if (ending.exchange(true))
        return;
    std::fputs("tickwell: the display has gone; the clock ends as at the end of the session\n", stderr);
    m_end();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace tickwell
