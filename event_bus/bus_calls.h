#pragma once

#include "event_core/module_host.h"
#include "event_topics/thread_handover.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

// Queued steps between the bus layers, and the texts logged when one cannot be queued.
namespace event_bus::calls {

inline constexpr char kAddMessage[]
    = "QMetaObject::invokeMethod( this, [this, message]() { this->_addMessage(message); }, Qt::QueuedConnection)";
inline constexpr char kAddSubscriber[]
    = "QMetaObject::invokeMethod( this, [this, info]() { this->_addSubscriber(info); }, Qt::QueuedConnection)";
inline constexpr char kRemoveSubscriber[]
    = "QMetaObject::invokeMethod( this, [this, info]() { this->_removeSubscriber(info); }, Qt::QueuedConnection)";
inline constexpr char kCheckMessageQueue[]
    = "QMetaObject::invokeMethod( this, [this]() { this->_checkMessageQueue(); }, Qt::QueuedConnection)";
inline constexpr char kConfirmSubscription[] = "QMetaObject::invokeMethod( info.getObject(), [info]() { "
                                               "info.getObject().data()->onSubscribed(info.getTopicEntry(), "
                                               "info.getUuid()); }, Qt::QueuedConnection)";
inline constexpr char kRemoveInvalidSubscription[] = "QMetaObject::invokeMethod( this, [this, subscription]() { "
                                                     "this->_removeSubscriber(subscription); }, Qt::QueuedConnection)";
inline constexpr char kStopBus[] = "QMetaObject::invokeMethod( handler, []() { handler->beforeThreadStopped(); }, "
                                   "Qt::BlockingQueuedConnection)";
inline constexpr char kStopSubBus[] = "QMetaObject::invokeMethod( object, [&object]() { object->beforeThreadStopped(); "
                                      "}, Qt::BlockingQueuedConnection)";

// Queues `call` into the thread of `target`; logs `callText` if it cannot be queued.
template<class Call> void queue(QObject *target, Call call, const char *callText)
{
    if (!event_topics::queueCall(target, std::move(call)))
        event_core::logInvalidInvoke(callText);
}

} // namespace event_bus::calls
