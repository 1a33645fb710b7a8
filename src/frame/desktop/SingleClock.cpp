#include "frame/desktop/SingleClock.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace tickwell {

namespace {
const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray shownAnswer = QByteArrayLiteral("shown\n");

QString keyFor(const QString& directory)
{
    const QString canonical = QDir(directory).canonicalPath();
    const QByteArray hash = QCryptographicHash::hash(
        (canonical.isEmpty() ? QDir(directory).absolutePath() : canonical).toUtf8(),
        QCryptographicHash::Sha256);
    return QStringLiteral("tickwell-") + QString::fromLatin1(hash.toHex().left(24));
}

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}
} // namespace

SingleClock::SingleClock(const QString& alarmDirectory, QObject* parent)
    : SingleClock(alarmDirectory, runtimeFolder(), parent)
{
}

SingleClock::SingleClock(const QString& alarmDirectory, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_socketPath(QDir(folder).filePath(keyFor(alarmDirectory)))
    , m_lock(m_socketPath + QStringLiteral(".lock"))
{
    // The lock is held for the clock's whole life; one left by a clock
    // that died is taken over.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleClock::answer);
}

SingleClock::~SingleClock()
{
    m_server.close();
}

SingleClock::Claim SingleClock::becomeTheClock()
{
    if (!m_lock.tryLock(0))
        return m_lock.error() == QLockFile::LockFailedError ? Claim::AnotherRuns : Claim::Unguarded;
    QLocalServer::removeServer(m_socketPath); // a socket left by a clock that died
    // Should the socket fail, this is still the one clock; later starts
    // then find the lock taken and cannot reach it, but do not run twice.
    m_server.listen(m_socketPath);
    return Claim::TheClock;
}

QString SingleClock::lockFailure() const
{
    return QStringLiteral("the lock file \"%1\" cannot be made").arg(m_lock.fileName());
}

bool SingleClock::handOver(int timeoutMs)
{
    // The running clock may be starting itself: keep trying a little while.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::min<qint64>(deadline.remainingTime(), 500)))) {
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
