#pragma once

// Subscribing a test's bus probe. Header-only; the test links event_core.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/topic_entry.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTest>

namespace vk_testing {

// Subscribes `subscriber` to each topic with the name of its handler slot and waits until every
// subscription is confirmed; false when one is refused or not confirmed within `timeoutMs`.
inline bool subscribeAndConfirm(event_core::ITopicSubscriber &subscriber,
    const QList<QPair<event_topics::TopicEntry, QString>> &topics, int timeoutMs = 5000)
{
    for (const auto &topic : topics) {
        if (subscriber.subscribe(topic.first, topic.second) < 0)
            return false;
    }
    return QTest::qWaitFor(
        [&]() {
            for (const auto &topic : topics) {
                if (!subscriber.isSubscribed(topic.first))
                    return false;
            }
            return true;
        },
        timeoutMs);
}

} // namespace vk_testing
