#pragma once

#include "event_bus/queued_bus_layer.h"
#include "event_topics/topic_entry.h"

#include <QList>
#include <QObject>

#include <shared_mutex>

namespace event_bus {

// One topic: its subscriptions and the queue of messages not yet delivered. Lives in its sub-bus's
// thread as a child of the sub-bus; every request reaches it as a queued call into that thread.
class Topic : public QObject, public QueuedBusLayer<Topic>
{
    Q_OBJECT
    friend class QueuedBusLayer<Topic>;

public:
    Topic(const event_topics::TopicEntry &topicEntry, QObject *parent);

    const event_topics::TopicEntry &topicEntry() const { return m_topicEntry; }

protected:
    // Appends to the queue and queues a drain (messages are not handed on as they are).
    void doAddMessage(const event_topics::PMessage &message) override;

private:
    void _addSubscriber(event_topics::SubscriptionInfo info);
    void _removeSubscriber(const event_topics::SubscriptionInfo &request);
    void _checkMessageQueue();

    const event_topics::TopicEntry m_topicEntry;
    QList<event_topics::SubscriptionInfo> m_subscriptions;
    std::shared_mutex m_queueLock;
    QList<event_topics::PMessage> m_queue;
};

} // namespace event_bus
