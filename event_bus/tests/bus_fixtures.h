#pragma once

// Messages, subscribers and thread helpers shared by the bus tests and the bus benchmark.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/i_message.h"
#include "event_topics/thread_handover.h"

#include <QList>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <atomic>
#include <memory>
#include <utility>

namespace bus_fixtures {

// Number of Ping and Alarm objects alive, to prove that the bus releases every message.
inline std::atomic<int> g_liveMessages { 0 };

// A message that notes the thread of its last deliver() call: the sub-bus thread of its category.
class TracedMessage : public event_topics::IMessage
{
public:
    explicit TracedMessage(const event_topics::TopicEntry &entry) : IMessage(entry) { ++g_liveMessages; }
    ~TracedMessage() override { --g_liveMessages; }

    QThread *deliveredBy() const { return m_deliveredBy.load(); }

protected:
    template<class M>
    ReturnCode traceAndDeliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &subscription)
    {
        m_deliveredBy.store(QThread::currentThread());
        return deliverAs<M>(self, subscription);
    }

private:
    std::atomic<QThread *> m_deliveredBy { nullptr };
};

// A Device message carrying its publisher, its sequence number and its publication time.
class Ping : public TracedMessage
{
public:
    Ping(int source, int sequence, qint64 publishedNs = 0)
        : TracedMessage(topic()), source(source), sequence(sequence), publishedNs(publishedNs)
    { }

    static event_topics::TopicEntry topic() { return { event_topics::Device, QStringLiteral("Ping") }; }

    ReturnCode deliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &subscription) override
    {
        return traceAndDeliver<Ping>(self, subscription);
    }

    const int source;
    const int sequence;
    const qint64 publishedNs;
};

// A System message (its own sub-bus).
class Alarm : public TracedMessage
{
public:
    explicit Alarm(int sequence, qint64 publishedNs = 0)
        : TracedMessage(topic()), sequence(sequence), publishedNs(publishedNs)
    { }

    static event_topics::TopicEntry topic() { return { event_topics::System, QStringLiteral("Alarm") }; }

    ReturnCode deliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &subscription) override
    {
        return traceAndDeliver<Alarm>(self, subscription);
    }

    const int sequence;
    const qint64 publishedNs;
};

// A message on any topic entry, valid or not.
class Stray : public TracedMessage
{
public:
    explicit Stray(const event_topics::TopicEntry &entry, int sequence = 0) : TracedMessage(entry), sequence(sequence)
    { }
    ReturnCode deliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &subscription) override
    {
        return traceAndDeliver<Stray>(self, subscription);
    }
    const int sequence;
};

using PingMessage = QSharedPointer<Ping>;
using AlarmMessage = QSharedPointer<Alarm>;
using StrayMessage = QSharedPointer<Stray>;

// Records every Ping and Alarm it receives, with the receiving thread.
class Recorder : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    struct Entry
    {
        int source = -1; // -1 for an Alarm, -3 for a Stray
        int sequence = -1;
        const TracedMessage *message = nullptr;
        QThread *deliveredBy = nullptr; // sub-bus thread
        QThread *thread = nullptr; // handler thread
    };

    using ITopicSubscriber::ITopicSubscriber;

    QList<Entry> entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }
    int count() const
    {
        QMutexLocker lock(&m_mutex);
        return int(m_entries.size());
    }
    QStringList confirmedTopics() const
    {
        QMutexLocker lock(&m_mutex);
        return m_confirmed;
    }

signals:
    void received(int count);

public slots:
    void onPing(bus_fixtures::PingMessage message) { record(message->source, message->sequence, message.data()); }
    void onAlarm(bus_fixtures::AlarmMessage message) { record(-1, message->sequence, message.data()); }
    void onStray(bus_fixtures::StrayMessage message) { record(-3, message->sequence, message.data()); }

protected:
    void subscriptionConfirmed(const event_topics::TopicEntry &topic, const QString &) override
    {
        QMutexLocker lock(&m_mutex);
        m_confirmed << topic.key();
    }

private:
    void record(int source, int sequence, const TracedMessage *message)
    {
        const Entry entry { source, sequence, message, message->deliveredBy(), QThread::currentThread() };
        int n = 0;
        {
            QMutexLocker lock(&m_mutex);
            m_entries << entry;
            n = int(m_entries.size());
        }
        emit received(n);
    }

    mutable QMutex m_mutex;
    QList<Entry> m_entries;
    QStringList m_confirmed;
};

// A Recorder (or any subscriber type) living in a thread of its own. run() executes a function in
// that thread and returns its result; the destructor deletes the object in its thread and ends it.
template<class T = Recorder> class Threaded
{
public:
    Threaded() : m_thread(std::make_unique<QThread>()), m_context(std::make_unique<QObject>()), m_object(new T())
    {
        event_topics::watchThreadEnd(m_thread.get());
        m_context->moveToThread(m_thread.get());
        m_object->moveToThread(m_thread.get());
        m_thread->start();
    }
    ~Threaded()
    {
        destroyObject();
        m_thread->quit();
        event_topics::waitForThreadEnd(m_thread.get());
    }
    Threaded(const Threaded &) = delete;
    Threaded &operator=(const Threaded &) = delete;

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    QThread *thread() const { return m_thread.get(); }

    // Runs `function` (returning a value) in the object's thread and waits for its result.
    template<class F> auto run(F function) const
    {
        decltype(function()) result {};
        event_topics::queueCall(
            m_context.get(), [&]() { result = function(); }, Qt::BlockingQueuedConnection);
        return result;
    }

    // Queues `function` into the object's thread without waiting.
    template<class F> void post(F function) const { event_topics::queueCall(m_context.get(), std::move(function)); }

    // Deletes the object in its own thread (blocking); the thread keeps running.
    void destroyObject()
    {
        T *object = std::exchange(m_object, nullptr);
        if (object)
            run([object]() {
                delete object;
                return true;
            });
    }

private:
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_context; // deleted after the thread has ended
    T *m_object;
};

} // namespace bus_fixtures

Q_DECLARE_METATYPE(bus_fixtures::PingMessage)
Q_DECLARE_METATYPE(bus_fixtures::AlarmMessage)
Q_DECLARE_METATYPE(bus_fixtures::StrayMessage)
