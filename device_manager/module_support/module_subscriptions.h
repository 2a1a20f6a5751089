#pragma once

#include "event_topics/topic_entry.h"
#include "return_codes/return_codes.h"

#include <QList>
#include <QPair>
#include <QString>

namespace event_core {
class ITopicSubscriber;
}

namespace device_manager {

// The subscriptions a device-side module makes as its thread starts: each topic with the name of its
// handler slot, in order.
class ModuleSubscriptions
{
public:
    using List = QList<QPair<event_topics::TopicEntry, QString>>;

    // Subscribes `module` to each topic in order and stops at the first failure, which is logged
    // ("Bad result: ") and returned; the module then does not report its initialisation. Ok when all
    // were made.
    static ReturnCode subscribeInOrder(event_core::ITopicSubscriber &module, const List &subscriptions);
};

} // namespace device_manager
