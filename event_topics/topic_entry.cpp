#include "event_topics/topic_entry.h"

namespace event_topics {

TopicEntry::TopicEntry(TopicCategory category, const QString &name)
    : m_category(category), m_name(name), m_key(makeKey(category, name))
{ }

QString TopicEntry::makeKey(TopicCategory category, const QString &name)
{
    return QStringLiteral("%1/%2").arg(topicCategoryText(category), name);
}

QJsonObject TopicEntry::toJson() const
{
    return { { QStringLiteral("category"), topicCategoryText(m_category) }, { QStringLiteral("name"), m_name } };
}

QDebug operator<<(QDebug debug, const TopicEntry &entry)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TopicEntry(" << entry.key() << ")";
    return debug;
}

} // namespace event_topics
