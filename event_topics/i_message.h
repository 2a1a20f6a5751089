#pragma once

#include "event_topics/subscription_info.h"
#include "event_topics/topic_entry.h"
#include "return_codes/return_codes.h"

#include <QJsonObject>
#include <QMetaType>
#include <QObject>
#include <QSharedPointer>
#include <QVariant>

namespace event_topics {

class IMessage;

// A published message, shared read-only by the bus and every subscriber; never copied.
using PMessage = QSharedPointer<IMessage>;

// Base of every bus message. A message is created on the heap by its publisher, carries a fixed
// topic and read-only fields, and is destroyed when the last holder releases it (in any thread).
class IMessage : public QObject
{
public:
    ~IMessage() override;

    const TopicEntry &getTopicEntry() const { return m_topicEntry; }

    // Hands `self` (this message) to one subscriber: a queued call of the subscriber's handler slot
    // in the subscriber's thread. Concrete messages implement it as `return deliverAs<M>(self, subscription);`.
    virtual ReturnCode deliver(const PMessage &self, const SubscriptionInfo &subscription) = 0;

    // Debug form, for logging only.
    virtual QJsonObject toJson() const;

protected:
    explicit IMessage(const TopicEntry &topicEntry);

    // Casts `self` to M (sharing ownership) and queues the subscriber's handler with it. The handler
    // is the method named by the subscription taking exactly one QSharedPointer<M> (under any alias).
    // No such method, or a subscriber that is gone: warning "Invalid invokeMethod!" and ErrInternalError.
    template<class M> static ReturnCode deliverAs(const PMessage &self, const SubscriptionInfo &subscription)
    {
        return invokeHandler(
            subscription, QMetaType::fromType<QSharedPointer<M>>(), QVariant::fromValue(self.template staticCast<M>()));
    }

private:
    static ReturnCode invokeHandler(
        const SubscriptionInfo &subscription, QMetaType argumentType, const QVariant &argument);

    const TopicEntry m_topicEntry;
};

} // namespace event_topics
