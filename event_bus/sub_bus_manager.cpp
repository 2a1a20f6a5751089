#include "event_bus/sub_bus_manager.h"

#include "event_bus/bus_calls.h"
#include "event_bus/topic.h"
#include "event_core/module_host.h"

#include <QDebug>
#include <QThread>

namespace event_bus {

using event_topics::PMessage;
using event_topics::SubscriptionInfo;
using event_topics::TopicEntry;

namespace {
constexpr std::chrono::milliseconds kThreadStartWait { 1000 };
}

SubBusManager::SubBusManager(event_topics::TopicCategory category) : m_category(category) { }

SubBusManager *SubBusManager::create(event_topics::TopicCategory category, QObject *threadParent)
{
    auto *subBus = new SubBusManager(category);
    auto *thread = new QThread(threadParent);
    event_topics::watchThreadEnd(thread);
    subBus->moveToThread(thread);
    if (!event_core::startThreadAndWait(thread, thread, &QThread::started, kThreadStartWait))
        qWarning() << "Timeout of object initialization!";
    return subBus;
}

void SubBusManager::stop(SubBusManager *subBus)
{
    QThread *thread = subBus->thread();
    event_core::runBeforeThreadStopped(subBus, calls::kStopSubBus);
    thread->quit();
    event_topics::waitForThreadEnd(thread);
    thread->deleteLater();
    delete subBus;
}

void SubBusManager::beforeThreadStopped() { }

void SubBusManager::doAddMessage(const PMessage &message)
{
    calls::queue(
        this, [this, message]() { _addMessage(message); }, calls::kAddMessage);
}

void SubBusManager::_addSubscriber(const SubscriptionInfo &info)
{
    Topic *topic = findOrCreateTopic(info.getTopicEntry());
    if (!topic) {
        qWarning() << "Invalid topic object!";
        return;
    }
    topic->addSubscriber(info);
}

void SubBusManager::_removeSubscriber(const SubscriptionInfo &info)
{
    if (Topic *topic = findTopic(info.getTopicEntry()))
        topic->removeSubscriber(info);
}

void SubBusManager::_addMessage(const PMessage &message)
{
    Topic *topic = findOrCreateTopic(message->getTopicEntry());
    if (!topic) {
        qWarning() << "Invalid topic object!";
        return;
    }
    topic->addMessage(message);
}

Topic *SubBusManager::findTopic(const TopicEntry &entry) const
{
    return m_topics.value(entry.key(), nullptr);
}

Topic *SubBusManager::findOrCreateTopic(const TopicEntry &entry)
{
    Topic *&topic = m_topics[entry.key()];
    if (!topic)
        topic = new Topic(entry, this);
    return topic;
}

} // namespace event_bus
