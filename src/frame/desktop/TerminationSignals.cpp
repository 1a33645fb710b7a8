// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/TerminationSignals.h"

#include "frame/desktop/TerminationSet.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tickwell {

void TerminationSignals::block()
{
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    const sigset_t set = terminationSet();
    m_fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0) {
        // Without the descriptor the signals keep their usual effect.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TerminationSignals::readSignal()
{
    signalfd_siginfo info {};
    bool received = false;
    while (::read(m_fd, &info, sizeof info) == ssize_t(sizeof info))
        received = true;
    if (received)
        Q_EMIT terminationRequested();
}

} // namespace tickwell
