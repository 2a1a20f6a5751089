#include "event_topics/subscription_info.h"

namespace event_topics {

SubscriptionInfo::SubscriptionInfo(
    QSharedPointer<const SubscriberHandle> object, const QString &handlerName, const TopicEntry &topicEntry)
    : m_object(std::move(object)),
      m_handlerName(handlerName),
      m_handlerNameUtf8(handlerName.toUtf8()),
      m_topicEntry(topicEntry)
{ }

SubscriptionInfo SubscriptionInfo::removal(const TopicEntry &topicEntry, const QString &uuid)
{
    SubscriptionInfo info({}, QString(), topicEntry);
    info.m_uuid = uuid;
    return info;
}

bool SubscriptionInfo::isValidForAdding() const
{
    return m_object && m_object->isAlive() && !m_handlerName.isEmpty() && m_topicEntry.isValid();
}

bool SubscriptionInfo::matches(const SubscriptionInfo &request) const
{
    if (!m_uuid.isEmpty())
        return m_uuid == request.m_uuid;
    return m_object == request.m_object && m_handlerName == request.m_handlerName
        && m_topicEntry.key() == request.m_topicEntry.key();
}

QDebug operator<<(QDebug debug, const SubscriptionInfo &info)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SubscriptionInfo(" << info.getTopicEntry().key() << ", " << info.getHandlerName() << ", "
                    << info.getUuid() << ")";
    return debug;
}

} // namespace event_topics
