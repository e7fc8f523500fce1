#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QByteArray ActivateRequest = "activate\n";

} // namespace

SingleInstance::SingleInstance(const QString& tag, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_socketPath(folder + QLatin1Char('/') + tag)
    , m_lock(folder + QLatin1Char('/') + tag + QStringLiteral(".lock"))
{
    // Only a dead owner makes the lock stale. The default would also give up a lock older
    // than 30 s wherever the file system lacks native locks to show that its owner lives.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
}

SingleInstance::~SingleInstance() { Release(); }

QString SingleInstance::DefaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool SingleInstance::Acquire()
{
    if (!m_lock.tryLock(0))
        return m_lock.error() != QLockFile::LockFailedError;
    // Holding the lock means any socket of that name is a leftover of a dead process.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    return true;
}

bool SingleInstance::RequestActivation(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ActivateRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::Release()
{
    m_server.close();
    if (m_lock.isLocked())
        m_lock.unlock();
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto readRequest = [this, socket] {
            // A peer gets one short line; anything longer or different is dropped.
            if (socket->bytesAvailable() < ActivateRequest.size())
                return;
            const QByteArray line = socket->read(ActivateRequest.size());
            socket->disconnectFromServer();
            if (line == ActivateRequest)
                emit ActivationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest(); // the request may have arrived with the connection
    }
}
