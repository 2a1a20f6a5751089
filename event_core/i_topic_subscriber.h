#pragma once

#include "event_topics/i_message.h"
#include "event_topics/subscriber_handle.h"
#include "event_topics/topic_entry.h"
#include "return_codes/return_codes.h"

#include <QHash>
#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <shared_mutex>

namespace event_core {

// Base of every module that talks over the bus. A module subscribes one of its slots to a topic
// and publishes messages; the bus calls the slot, queued, in the module's own thread.
// subscribe, publish and unsubscribeAll are called by the module on itself, in its own thread.
class ITopicSubscriber : public QObject
{
    Q_OBJECT

public:
    explicit ITopicSubscriber(QObject *parent = nullptr);
    ~ITopicSubscriber() override;

    // Subscribes the slot named `handlerName` (taking the message's shared pointer type) to `topic`.
    // WarnAlreadyExist once a subscription of the topic is confirmed; ErrArgumentBadValue for an
    // empty handler name or invalid topic; ErrInvalidHandler without a bus. Non-Ok codes are logged.
    ReturnCode subscribe(const event_topics::TopicEntry &topic, const QString &handlerName);

    // Publishes `message`, taking ownership of it in every case.
    // ErrArgumentPointerIsNull for null, ErrInvalidHandler without a bus (both logged),
    // otherwise the bus's answer (ErrArgumentUnsupportedValue for an invalid topic).
    ReturnCode publish(event_topics::IMessage *message);

    // Asks the bus to drop every confirmed subscription and empties the table.
    ReturnCode unsubscribeAll();

    // Whether a subscription of `topic` has been confirmed.
    bool isSubscribed(const event_topics::TopicEntry &topic) const;

    // Called by the topic, in this object's thread, to confirm a subscription.
    void onSubscribed(const event_topics::TopicEntry &topic, const QString &uuid);

protected:
    // Called after onSubscribed recorded a subscription, without any lock held. Does nothing.
    virtual void subscriptionConfirmed(const event_topics::TopicEntry &topic, const QString &uuid);

private:
    const QSharedPointer<event_topics::SubscriberHandle> m_handle;
    mutable std::shared_mutex m_lock;
    QHash<event_topics::TopicEntry, QString> m_subscriptions;
};

} // namespace event_core
