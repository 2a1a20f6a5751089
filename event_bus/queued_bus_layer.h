#pragma once

#include "event_bus/bus_calls.h"
#include "event_bus/i_bus_manager.h"

namespace event_bus {

// The common part of the three bus layers: a subscription request is queued into the layer's own
// thread, where Layer::_addSubscriber or _removeSubscriber handles it (Layer befriends this).
// Each layer hands messages on in its own way (doAddMessage).
template<class Layer> class QueuedBusLayer : public IBusManager
{
protected:
    void doAddSubscriber(const event_topics::SubscriptionInfo &info) override
    {
        Layer *layer = self();
        calls::queue(
            layer, [layer, info]() { layer->_addSubscriber(info); }, calls::kAddSubscriber);
    }
    void doRemoveSubscriber(const event_topics::SubscriptionInfo &info) override
    {
        Layer *layer = self();
        calls::queue(
            layer, [layer, info]() { layer->_removeSubscriber(info); }, calls::kRemoveSubscriber);
    }

private:
    Layer *self() { return static_cast<Layer *>(this); }
};

} // namespace event_bus
