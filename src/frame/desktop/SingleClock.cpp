#include "frame/desktop/SingleClock.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

namespace tickwell {

namespace {
const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray shownAnswer = QByteArrayLiteral("shown\n");

// Per user: another user's clock is none of ours.
QString nameFor(const QString& alarmFile)
{
    const QByteArray hash = QCryptographicHash::hash(alarmFile.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("tickwell-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.toHex().left(32)));
}

// The name could be taken by another user's program; only a clock of ours is
// asked anything.
bool servedByThisUser(const QLocalSocket& socket)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0
        && peer.uid == ::getuid();
}
} // namespace

SingleClock::SingleClock(const QString& alarmFile, QObject* parent)
    : QObject(parent)
    , m_name(nameFor(alarmFile))
{
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleClock::answer);
}

SingleClock::~SingleClock()
{
    m_server.close();
}

SingleClock::Claim SingleClock::becomeTheClock()
{
    if (m_server.listen(m_name))
        return Claim::TheClock;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return Claim::Unguarded;
    // Another user's program holding the name is no clock of ours: this one
    // runs rather than not at all.
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (socket.waitForConnected(1000) && !servedByThisUser(socket))
        return Claim::Unguarded;
    return Claim::AnotherRuns;
}

QString SingleClock::lockFailure() const
{
    return QStringLiteral("the local socket \"@%1\" cannot be made (%2)").arg(m_name, m_server.errorString());
}

bool SingleClock::handOver(int timeoutMs)
{
    // The running clock may be starting itself: keep trying a little while.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(m_name);
        if (socket.waitForConnected(int(std::min<qint64>(deadline.remainingTime(), 500)))) {
            if (!servedByThisUser(socket))
                return false;
            socket.write(showRequest);
            socket.flush();
            while (!socket.canReadLine() && socket.waitForReadyRead(int(deadline.remainingTime()))) { }
            return socket.canReadLine() && socket.readLine() == shownAnswer;
        }
        QThread::msleep(100);
    }
    return false;
}

void SingleClock::answer()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != showRequest)
                    continue;
                Q_EMIT showRequested();
                socket->write(shownAnswer);
                socket->flush();
            }
        });
    }
}

} // namespace tickwell
