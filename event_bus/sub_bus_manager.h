#pragma once

#include "event_bus/queued_bus_layer.h"
#include "event_topics/topic_category.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace event_bus {

class Topic;

// The bus of one topic category, in a thread of its own. Holds the category's topics (its
// children, created on first use and kept until the sub-bus stops).
class SubBusManager : public QObject, public QueuedBusLayer<SubBusManager>
{
    Q_OBJECT
    friend class QueuedBusLayer<SubBusManager>;

public:
    // Creates the sub-bus of `category` in a new thread whose parent is `threadParent`, and waits
    // up to 1 s for the thread to run (warning "Timeout of object initialization!" otherwise).
    static SubBusManager *create(event_topics::TopicCategory category, QObject *threadParent);

    // Waits for everything queued to the sub-bus so far, ends its thread and deletes the sub-bus
    // with its topics. Messages still waiting in a topic are dropped.
    static void stop(SubBusManager *subBus);

    event_topics::TopicCategory category() const { return m_category; }

public slots:
    void beforeThreadStopped();

protected:
    void doAddMessage(const event_topics::PMessage &message) override;

private:
    explicit SubBusManager(event_topics::TopicCategory category);

    void _addSubscriber(const event_topics::SubscriptionInfo &info);
    void _removeSubscriber(const event_topics::SubscriptionInfo &info);
    void _addMessage(const event_topics::PMessage &message);

    Topic *findTopic(const event_topics::TopicEntry &entry) const;
    Topic *findOrCreateTopic(const event_topics::TopicEntry &entry);

    const event_topics::TopicCategory m_category;
    QHash<QString, Topic *> m_topics;
};

} // namespace event_bus
