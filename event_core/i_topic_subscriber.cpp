#include "event_core/i_topic_subscriber.h"

#include "event_bus/i_bus_manager.h"

#include <QDebug>

#include <mutex>

namespace event_core {

using event_bus::IBusManager;
using event_topics::SubscriptionInfo;
using event_topics::TopicEntry;

namespace {

ReturnCode logged(ReturnCode code)
{
    qDebug() << code;
    return code;
}

} // namespace

// The complete meta-object is only known once the derived module is constructed: see subscribe.
ITopicSubscriber::ITopicSubscriber(QObject *parent)
    : QObject(parent), m_handle(QSharedPointer<event_topics::SubscriberHandle>::create(this, nullptr))
{ }

ITopicSubscriber::~ITopicSubscriber()
{
    // From here on the bus threads queue nothing more to this object; what they queued already is
    // discarded by QObject's destructor.
    m_handle->release();
}

ReturnCode ITopicSubscriber::subscribe(const TopicEntry &topic, const QString &handlerName)
{
    if (isSubscribed(topic))
        return logged(ReturnCode::WarnAlreadyExist);
    m_handle->setMetaObject(metaObject());
    const SubscriptionInfo info(m_handle, handlerName, topic);
    if (!info.isValidForAdding())
        return logged(ReturnCode::ErrArgumentBadValue);
    const ReturnCode result
        = IBusManager::withProcessBus([&info](IBusManager &bus) { return bus.addSubscriber(info); });
    if (result == ReturnCode::ErrInvalidHandler)
        logged(result);
    return result;
}

ReturnCode ITopicSubscriber::publish(event_topics::IMessage *message)
{
    if (!message)
        return logged(ReturnCode::ErrArgumentPointerIsNull);
    const event_topics::PMessage shared(message);
    const ReturnCode result
        = IBusManager::withProcessBus([&shared](IBusManager &bus) { return bus.addMessage(shared); });
    if (result == ReturnCode::ErrInvalidHandler)
        logged(result);
    return result;
}

ReturnCode ITopicSubscriber::unsubscribeAll()
{
    std::unique_lock lock(m_lock);
    const ReturnCode result = IBusManager::withProcessBus([this](IBusManager &bus) {
        for (auto it = m_subscriptions.cbegin(); it != m_subscriptions.cend(); ++it) {
            if (it.value().isEmpty())
                return ReturnCode::ErrInternalError;
            bus.removeSubscriber(SubscriptionInfo::removal(it.key(), it.value()));
        }
        return ReturnCode::Ok;
    });
    if (result != ReturnCode::Ok)
        return logged(result);
    m_subscriptions.clear();
    return ReturnCode::Ok;
}

bool ITopicSubscriber::isSubscribed(const TopicEntry &topic) const
{
    std::shared_lock lock(m_lock);
    return m_subscriptions.contains(topic);
}

void ITopicSubscriber::onSubscribed(const TopicEntry &topic, const QString &uuid)
{
    {
        std::unique_lock lock(m_lock);
        m_subscriptions.insert(topic, uuid);
    }
    subscriptionConfirmed(topic, uuid);
}

void ITopicSubscriber::subscriptionConfirmed(const TopicEntry &, const QString &) { }

} // namespace event_core
