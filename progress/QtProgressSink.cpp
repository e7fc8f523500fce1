#include "progress/QtProgressSink.h"

#include <QCoreApplication>
#include <QObject>

QtProgressSink::QtProgressSink(QObject* receiver)
    : m_target(std::make_shared<Target>())
{
    m_target->receiver = receiver;
    if (receiver) {
        // Direct, on the receiver's thread, while it is still a whole QObject:
        // a post racing with the destruction waits for the mutex and then drops.
        std::weak_ptr<Target> weak = m_target;
        m_destroyed = QObject::connect(receiver, &QObject::destroyed, [weak] {
            if (auto target = weak.lock()) {
                std::lock_guard lock(target->mutex);
                target->receiver = nullptr;
            }
        });
    }
}

QtProgressSink::~QtProgressSink() { QObject::disconnect(m_destroyed); }

void QtProgressSink::Post(std::uint32_t message, std::uint32_t code, std::int64_t value)
{
    std::lock_guard lock(m_target->mutex);
    if (QObject* receiver = m_target->receiver.data())
        QCoreApplication::postEvent(receiver, new ProgressEvent(message, code, value));
}

void QtProgressSink::Detach()
{
    std::lock_guard lock(m_target->mutex);
    m_target->receiver = nullptr;
}
