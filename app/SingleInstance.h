#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

// One running program per user session. The first start holds a lock file and listens
// on a local socket, both named by the instance tag; a later start finds the lock held
// and asks the first one, over the socket, to bring its main window forward and to add
// the files it was given. A lock left by a process that died is taken over, and so is
// its socket name.
// Owned by the application object; interface thread only.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // folder: a per-user folder for the lock and the socket (see DefaultFolder).
    SingleInstance(const QString& tag, const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process may go on: it now holds the lock, or the lock could not be
    // used at all (then nobody can be asked and running alone is the safer guess).
    // False when a live process holds it.
    bool Acquire();
    // From a start that may not go on: asks the holder to come forward and add the paths
    // (absolute: the holder runs in another folder). Bounded by timeoutMs for each step;
    // false when nobody listened (the holder is starting or closing).
    bool RequestActivation(int timeoutMs, const QStringList& paths = {}) const;
    // Gives up the lock and the socket name; also done by the destructor.
    void Release();

    QString GetSocketPath() const { return m_socketPath; }
    QString GetLockPath() const { return m_lock.fileName(); }

    // The user's runtime folder ($XDG_RUNTIME_DIR, or Qt's private fallback).
    static QString DefaultFolder();

signals:
    void ActivationRequested(const QStringList& paths);

private:
    void OnNewConnection();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
