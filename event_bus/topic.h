#pragma once

#include "event_bus/i_bus_manager.h"
#include "event_topics/topic_entry.h"

#include <QList>
#include <QObject>

#include <shared_mutex>

namespace event_bus {

// One topic: its subscriptions and the queue of messages not yet delivered. Lives in its sub-bus's
// thread as a child of the sub-bus; every request reaches it as a queued call into that thread.
class Topic : public QObject, public IBusManager
{
    Q_OBJECT

public:
    Topic(const event_topics::TopicEntry &topicEntry, QObject *parent);

    const event_topics::TopicEntry &topicEntry() const { return m_topicEntry; }

protected:
    void doAddSubscriber(const event_topics::SubscriptionInfo &info) override;
    void doRemoveSubscriber(const event_topics::SubscriptionInfo &info) override;
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
