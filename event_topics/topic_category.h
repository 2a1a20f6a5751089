#pragma once

#include <QString>
#include <QtGlobal>

namespace event_topics {

// Category of a topic: each category in use gets a sub-bus with a thread of its own.
enum TopicCategory : qint32 {
    System = 0,
    Device = 1,
    Log = 2,
    Settings = 3,
    Unknown = 4, // never valid
    Unset = 5, // never valid: the category of a default topic entry
};

// "System", "Device", "Log", "Settings"; "Unknown" for every other value.
QString topicCategoryText(TopicCategory category);

// False for Unknown and Unset only; any other value (also outside the enumeration) is usable.
constexpr bool isValidTopicCategory(TopicCategory category)
{
    return quint32(category) - quint32(Unknown) >= 2u;
}

} // namespace event_topics
