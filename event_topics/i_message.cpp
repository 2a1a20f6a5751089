#include "event_topics/i_message.h"

#include "event_topics/thread_handover.h"

#include <QMetaMethod>

namespace event_topics {

namespace {

// Index of the method `name(T)` with T of type `argumentType` (whatever alias it was declared under).
int findHandler(const QMetaObject *metaObject, const QByteArray &name, QMetaType argumentType)
{
    for (int index = metaObject->methodCount() - 1; index >= 0; --index) {
        const QMetaMethod method = metaObject->method(index);
        if (method.parameterCount() == 1 && method.name() == name && method.parameterMetaType(0) == argumentType)
            return index;
    }
    return -1;
}

} // namespace

IMessage::IMessage(const TopicEntry &topicEntry) : m_topicEntry(topicEntry) { }

IMessage::~IMessage() = default;

QJsonObject IMessage::toJson() const
{
    return { { QStringLiteral("messageName"), QStringLiteral("base IMessage") } };
}

ReturnCode IMessage::invokeHandler(
    const SubscriptionInfo &subscription, QMetaType argumentType, const QVariant &argument)
{
    const auto &handle = subscription.getObject();
    const bool queued = handle && handle->withSubscriber([&](QObject *subscriber, const QMetaObject *metaObject) {
        const int index = metaObject ? findHandler(metaObject, subscription.handlerNameUtf8(), argumentType) : -1;
        if (index < 0)
            return false;
        const QMetaMethod method = metaObject->method(index);
        // Runs in the subscriber's thread; Qt drops the call if the subscriber is destroyed first.
        return queueCall(subscriber, [subscriber, method, argument]() {
            method.invoke(subscriber, Qt::DirectConnection, QGenericArgument("PMessage", argument.constData()));
        });
    });
    if (!queued) {
        qWarning() << "Invalid invokeMethod!";
        return ReturnCode::ErrInternalError;
    }
    return ReturnCode::Ok;
}

} // namespace event_topics
