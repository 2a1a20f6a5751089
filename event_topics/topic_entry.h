#pragma once

#include "event_topics/topic_category.h"

#include <QDebug>
#include <QHashFunctions>
#include <QJsonObject>
#include <QString>

namespace event_topics {

// Identity of one topic: a category and the message class name without namespace.
// Two entries name the same topic when their text keys ("Device/DeviceAuthFailed") are equal.
class TopicEntry
{
public:
    TopicEntry() = default; // category Unset, empty name: not valid
    TopicEntry(TopicCategory category, const QString &name);

    TopicCategory category() const { return m_category; }
    const QString &name() const { return m_name; }

    // "<category text>/<name>", the key topics are looked up and hashed by.
    const QString &key() const { return m_key; }

    // Usable for subscribing and publishing: a valid category and a name.
    bool isValid() const { return isValidTopicCategory(m_category) && !m_name.isEmpty(); }

    QJsonObject toJson() const;

    friend bool operator==(const TopicEntry &a, const TopicEntry &b) { return a.m_key == b.m_key; }
    friend bool operator!=(const TopicEntry &a, const TopicEntry &b) { return !(a == b); }

private:
    TopicCategory m_category = Unset;
    QString m_name;
    QString m_key = makeKey(Unset, QString());

    static QString makeKey(TopicCategory category, const QString &name);
};

inline size_t qHash(const TopicEntry &entry, size_t seed = 0)
{
    return qHash(entry.key(), seed);
}

QDebug operator<<(QDebug debug, const TopicEntry &entry);

} // namespace event_topics
