#pragma once

#include "event_topics/thread_handover.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>

#include <utility>

namespace event_topics {

// The subscriber as the bus threads see it. A subscriber may be destroyed in its own thread at any
// moment while a sub-bus thread is about to queue a call to it; a plain guarded pointer checked in
// the sub-bus thread cannot rule out queuing to freed memory. The handle closes that gap: queuing
// happens under its lock, and the subscriber's destructor releases the handle under the same lock
// before its QObject part goes (which discards every call already queued to it).
//
// The handle also keeps the subscriber's meta-object, so that other threads never make a virtual
// call on an object that may be in the middle of its destruction.
class SubscriberHandle
{
public:
    // `metaObject` is the subscriber's complete meta-object (null until known: no handler is found).
    SubscriberHandle(QObject *subscriber, const QMetaObject *metaObject)
        : m_subscriber(subscriber), m_metaObject(metaObject)
    { }
    SubscriberHandle(const SubscriberHandle &) = delete;
    SubscriberHandle &operator=(const SubscriberHandle &) = delete;

    bool isAlive() const
    {
        QMutexLocker lock(&m_mutex);
        return m_subscriber != nullptr;
    }

    // Set by the subscriber itself once it is fully constructed.
    void setMetaObject(const QMetaObject *metaObject)
    {
        QMutexLocker lock(&m_mutex);
        m_metaObject = metaObject;
    }

    // Runs `use(subscriber, metaObject)` under the handle's lock while the subscriber is alive and
    // returns its result; false when the subscriber is gone. `use` may read the meta-object and
    // queue calls to the subscriber, nothing else: it runs in the caller's thread.
    template<class Use> bool withSubscriber(Use use) const
    {
        QMutexLocker lock(&m_mutex);
        return m_subscriber != nullptr && use(m_subscriber, m_metaObject);
    }

    // Queues `call(subscriber)` into the subscriber's thread. False when the subscriber is gone.
    template<class Call> bool post(Call call) const
    {
        return withSubscriber([&call](QObject *subscriber, const QMetaObject *) {
            return queueCall(subscriber, [subscriber, call = std::move(call)]() { call(subscriber); });
        });
    }

    // Called by the subscriber while it is being destroyed; later posts fail.
    void release()
    {
        QMutexLocker lock(&m_mutex);
        m_subscriber = nullptr;
    }

private:
    mutable QMutex m_mutex;
    QObject *m_subscriber;
    const QMetaObject *m_metaObject;
};

} // namespace event_topics
