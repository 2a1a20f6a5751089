#pragma once

#include "event_topics/subscriber_handle.h"
#include "event_topics/topic_entry.h"

#include <QByteArray>
#include <QDebug>
#include <QSharedPointer>
#include <QString>

namespace event_topics {

// One subscription: who (the subscriber's handle), which slot, which topic, and the uuid the topic
// assigned when it listed the subscription (empty until then). A value type.
class SubscriptionInfo
{
public:
    SubscriptionInfo() = default;
    SubscriptionInfo(
        QSharedPointer<const SubscriberHandle> object, const QString &handlerName, const TopicEntry &topicEntry);

    // A request to remove the subscription with this uuid (object and handler name empty).
    static SubscriptionInfo removal(const TopicEntry &topicEntry, const QString &uuid);

    const QSharedPointer<const SubscriberHandle> &getObject() const { return m_object; }
    const QString &getHandlerName() const { return m_handlerName; }
    const QByteArray &handlerNameUtf8() const { return m_handlerNameUtf8; }
    const TopicEntry &getTopicEntry() const { return m_topicEntry; }
    const QString &getUuid() const { return m_uuid; }
    void setUuid(const QString &uuid) { m_uuid = uuid; }

    // The subscriber is alive, the handler name is set and the topic entry is valid.
    bool isValidForAdding() const;
    // The uuid is set.
    bool isValidForRemoving() const { return !m_uuid.isEmpty(); }

    // Whether removal `request` names this (stored) subscription: by uuid when this one has a uuid,
    // otherwise by subscriber, handler name and topic key.
    bool matches(const SubscriptionInfo &request) const;

private:
    QSharedPointer<const SubscriberHandle> m_object;
    QString m_handlerName;
    QByteArray m_handlerNameUtf8;
    TopicEntry m_topicEntry;
    QString m_uuid;
};

QDebug operator<<(QDebug debug, const SubscriptionInfo &info);

} // namespace event_topics
