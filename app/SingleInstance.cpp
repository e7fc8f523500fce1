#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace {

// A request is this line, then each path NUL-terminated, then an empty entry: a path never
// holds a NUL and is never empty, so the request ends only where the sender ended it.
const QByteArray ActivateRequest = "activate\n";
// Far beyond any list of files a file manager hands over; a peer sending more is dropped.
constexpr qsizetype MaxRequestBytes = 16 * 1024 * 1024;

// True once the request's closing empty entry has arrived: the buffer ends in the header
// and a NUL, or in the NUL of the last path and the empty entry's.
bool IsComplete(const QByteArray& request)
{
    if (!request.endsWith('\0'))
        return false;
    return request.size() == ActivateRequest.size() + 1 || request.endsWith(QByteArray(2, '\0'));
}

// The absolute paths of a complete request; an entry that is not absolute is left out.
QStringList ParseRequest(const QByteArray& request)
{
    QStringList paths;
    for (qsizetype at = ActivateRequest.size(); at < request.size();) {
        const qsizetype end = request.indexOf('\0', at);
        if (end <= at)
            break;
        const QString path = QFile::decodeName(request.mid(at, end - at));
        if (QDir::isAbsolutePath(path))
            paths << path;
        at = end + 1;
    }
    return paths;
}

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

bool SingleInstance::RequestActivation(int timeoutMs, const QStringList& paths) const
{
    QByteArray request = ActivateRequest;
    for (const QString& path : paths)
        request += QFile::encodeName(path) + '\0';
    request += '\0';
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(request);
    // A long list leaves the socket in several writes; each must progress within the time.
    bool sent = true;
    while (sent && socket.bytesToWrite() > 0)
        sent = socket.waitForBytesWritten(timeoutMs);
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
        auto request = std::make_shared<QByteArray>();
        const auto readRequest = [this, socket, request] {
            *request += socket->readAll();
            // Anything but a request, or a request past the limit, is dropped unanswered.
            const qsizetype head = std::min(request->size(), ActivateRequest.size());
            if (request->left(head) != ActivateRequest.left(head) || request->size() > MaxRequestBytes) {
                request->clear();
                socket->abort();
                return;
            }
            if (!IsComplete(*request))
                return;
            const QStringList paths = ParseRequest(*request);
            request->clear();
            socket->disconnectFromServer();
            emit ActivationRequested(paths);
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest(); // the request may have arrived with the connection
    }
}
