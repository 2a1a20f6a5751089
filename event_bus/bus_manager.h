#pragma once

#include "event_bus/queued_bus_layer.h"
#include "event_core/module_host.h"
#include "event_topics/topic_category.h"

#include <QHash>
#include <QObject>

namespace event_bus {

class SubBusManager;

// The process-wide message bus, in a thread of its own. Routes each request to the sub-bus of its
// topic's category, creating the sub-bus on first use.
class BusManager : public QObject, public QueuedBusLayer<BusManager>
{
    Q_OBJECT
    friend class QueuedBusLayer<BusManager>;
    friend class event_core::ModuleHost<BusManager>;

public:
    // Starts the bus (a child thread of `parent`), waiting up to 10 s for it.
    static BusManager *createInstance(QObject *parent);
    // Stops every sub-bus, then the bus. Afterwards subscribers get ErrInvalidHandler.
    static void destroyInstance();
    // The running bus or null.
    static BusManager *instance();

    ~BusManager() override;

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void afterThreadStarted();
    void beforeThreadStopped();

protected:
    void doAddMessage(const event_topics::PMessage &message) override;

private:
    BusManager() = default;

    void _addSubscriber(const event_topics::SubscriptionInfo &info);
    void _removeSubscriber(const event_topics::SubscriptionInfo &info);
    void _addMessage(const event_topics::PMessage &message);

    SubBusManager *findOrCreateSubBus(event_topics::TopicCategory category);
    void stopSubBuses();

    QHash<qint32, SubBusManager *> m_subBuses;
    bool m_stopped = false;
};

} // namespace event_bus
