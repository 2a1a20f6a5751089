#include "event_bus/bus_manager.h"

#include "event_bus/bus_calls.h"
#include "event_bus/sub_bus_manager.h"

#include <QDebug>

namespace event_bus {

using event_topics::PMessage;
using event_topics::SubscriptionInfo;

namespace {
using Host = event_core::ModuleHost<BusManager>;
constexpr std::chrono::milliseconds kInitializationWait { 10000 };
} // namespace

BusManager *BusManager::createInstance(QObject *parent)
{
    return Host::create(parent, kInitializationWait, Q_FUNC_INFO);
}

void BusManager::destroyInstance()
{
    Host::destroy(calls::kStopBus);
}

BusManager *BusManager::instance()
{
    return Host::instance();
}

BusManager::~BusManager()
{
    // Normally done in beforeThreadStopped; a sub-bus thread must never outlive the bus.
    stopSubBuses();
}

void BusManager::afterThreadStarted()
{
    attachProcessBus(this);
    emit initializationDone(QPrivateSignal());
}

void BusManager::beforeThreadStopped()
{
    // Waits until no subscriber is handing a request over; later requests get ErrInvalidHandler.
    detachProcessBus(this);
    m_stopped = true;
    stopSubBuses();
}

void BusManager::stopSubBuses()
{
    for (SubBusManager *subBus : std::as_const(m_subBuses))
        SubBusManager::stop(subBus);
    m_subBuses.clear();
}

void BusManager::doAddMessage(const PMessage &message)
{
    calls::queue(
        this, [this, message]() { _addMessage(message); }, calls::kAddMessage);
}

void BusManager::_addSubscriber(const SubscriptionInfo &info)
{
    SubBusManager *subBus = findOrCreateSubBus(info.getTopicEntry().category());
    if (!subBus) {
        qWarning() << "Invalid subBus object!";
        return;
    }
    subBus->addSubscriber(info);
}

void BusManager::_removeSubscriber(const SubscriptionInfo &info)
{
    if (SubBusManager *subBus = m_subBuses.value(info.getTopicEntry().category(), nullptr))
        subBus->removeSubscriber(info);
}

void BusManager::_addMessage(const PMessage &message)
{
    SubBusManager *subBus = findOrCreateSubBus(message->getTopicEntry().category());
    if (!subBus) {
        qWarning() << "Invalid topic object!";
        return;
    }
    subBus->addMessage(message);
}

SubBusManager *BusManager::findOrCreateSubBus(event_topics::TopicCategory category)
{
    if (SubBusManager *subBus = m_subBuses.value(category, nullptr))
        return subBus;
    // A stopped bus makes no new sub-bus threads.
    if (m_stopped)
        return nullptr;
    SubBusManager *subBus = SubBusManager::create(category, this);
    m_subBuses.insert(category, subBus);
    return subBus;
}

} // namespace event_bus
