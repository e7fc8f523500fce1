#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include <QEvent>
#include <QPointer>

#include "batch/JobSignals.h"

class QObject;

// A job's message as the receiver sees it: the event type is the message number.
class ProgressEvent : public QEvent {
public:
    ProgressEvent(std::uint32_t message, std::uint32_t code, std::int64_t value)
        : QEvent(static_cast<QEvent::Type>(message))
        , m_code(code)
        , m_value(value)
    {
    }
    std::uint32_t GetCode() const { return m_code; }
    std::int64_t GetValue() const { return m_value; }

private:
    std::uint32_t m_code;
    std::int64_t m_value;
};

// Turns a job's posts into ProgressEvents posted to a receiver on the interface
// thread. Posts are dropped once the receiver is gone or detached: the receiver's
// destruction detaches it before its posted events are discarded, so a post never
// reaches a destroyed object. Post may be called on any thread.
class QtProgressSink : public IProgressSink {
public:
    explicit QtProgressSink(QObject* receiver);
    ~QtProgressSink() override;
    void Post(std::uint32_t message, std::uint32_t code, std::int64_t value) override;
    // No posts after this returns.
    void Detach();

private:
    struct Target {
        std::mutex mutex;
        QPointer<QObject> receiver;
    };
    std::shared_ptr<Target> m_target;
    QMetaObject::Connection m_destroyed;
};
