#include "event_bus/topic.h"

#include "event_bus/bus_calls.h"
#include "event_core/i_topic_subscriber.h"

#include <QUuid>

#include <mutex>

namespace event_bus {

using event_topics::PMessage;
using event_topics::SubscriptionInfo;

Topic::Topic(const event_topics::TopicEntry &topicEntry, QObject *parent)
    : QObject(parent), m_topicEntry(topicEntry) { }

void Topic::doAddMessage(const PMessage &message)
{
    {
        std::unique_lock lock(m_queueLock);
        m_queue.append(message);
    }
    calls::queue(
        this, [this]() { _checkMessageQueue(); }, calls::kCheckMessageQueue);
}

void Topic::_addSubscriber(SubscriptionInfo info)
{
    info.setUuid(QUuid::createUuid().toString(QUuid::WithoutBraces));
    m_subscriptions.append(info);
    const auto &subscriber = info.getObject();
    const bool confirmed = subscriber && subscriber->post([info](QObject *object) {
        // Only subscribers make subscriber handles.
        static_cast<event_core::ITopicSubscriber *>(object)->onSubscribed(info.getTopicEntry(), info.getUuid());
    });
    if (!confirmed)
        event_core::logInvalidInvoke(calls::kConfirmSubscription);
}

void Topic::_removeSubscriber(const SubscriptionInfo &request)
{
    m_subscriptions.removeIf([&request](const SubscriptionInfo &stored) { return stored.matches(request); });
}

void Topic::_checkMessageQueue()
{
    std::unique_lock lock(m_queueLock);
    while (!m_queue.isEmpty()) {
        const PMessage message = m_queue.takeFirst();
        lock.unlock();
        for (const SubscriptionInfo &subscription : std::as_const(m_subscriptions)) {
            if (!subscription.isValidForAdding()) {
                // Its subscriber is gone: drop the subscription, silently.
                calls::queue(
                    this, [this, subscription]() { _removeSubscriber(subscription); },
                    calls::kRemoveInvalidSubscription);
                continue;
            }
            message->deliver(message, subscription);
        }
        lock.lock();
    }
}

} // namespace event_bus
