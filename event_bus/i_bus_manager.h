#pragma once

#include "event_topics/i_message.h"
#include "event_topics/subscription_info.h"
#include "return_codes/return_codes.h"

#include <mutex>
#include <shared_mutex>

namespace event_bus {

// The interface of the three bus layers (bus, sub-bus, topic). The public operations validate a
// request and hand it to the layer's do...() hook, which queues it into the layer's thread.
//
// Header-only on purpose: the subscriber base (event_core) reaches the running bus through this
// interface and the process-bus slot below without linking the bus library, which itself builds
// on event_core.
class IBusManager
{
public:
    virtual ~IBusManager() = default;

    // Null: ErrArgumentPointerIsNull; invalid topic entry: ErrArgumentUnsupportedValue; else queued, Ok.
    ReturnCode addMessage(const event_topics::PMessage &message)
    {
        if (!message)
            return ReturnCode::ErrArgumentPointerIsNull;
        if (!message->getTopicEntry().isValid())
            return ReturnCode::ErrArgumentUnsupportedValue;
        doAddMessage(message);
        return ReturnCode::Ok;
    }

    // Not valid for adding: ErrArgumentUnsupportedValue; else queued, Ok.
    ReturnCode addSubscriber(const event_topics::SubscriptionInfo &info)
    {
        if (!info.isValidForAdding())
            return ReturnCode::ErrArgumentUnsupportedValue;
        doAddSubscriber(info);
        return ReturnCode::Ok;
    }

    // Not valid for removing: ErrArgumentUnsupportedValue; else queued, Ok.
    ReturnCode removeSubscriber(const event_topics::SubscriptionInfo &info)
    {
        if (!info.isValidForRemoving())
            return ReturnCode::ErrArgumentUnsupportedValue;
        doRemoveSubscriber(info);
        return ReturnCode::Ok;
    }

    // Runs `call(bus)` with the running process bus and returns its result, or returns
    // ErrInvalidHandler when no bus runs. The bus cannot stop while `call` runs, so `call` must only
    // hand requests over (the public operations above), never wait for the bus.
    template<class Call> static ReturnCode withProcessBus(Call call)
    {
        ProcessBus &slot = processBus();
        std::shared_lock lock(slot.lock);
        return slot.bus ? call(*slot.bus) : ReturnCode::ErrInvalidHandler;
    }

protected:
    virtual void doAddSubscriber(const event_topics::SubscriptionInfo &info) = 0;
    virtual void doRemoveSubscriber(const event_topics::SubscriptionInfo &info) = 0;
    virtual void doAddMessage(const event_topics::PMessage &message) = 0;

    // The bus announces itself when its thread runs and withdraws before it stops; withdrawing
    // waits for every withProcessBus() call in progress.
    static void attachProcessBus(IBusManager *bus)
    {
        ProcessBus &slot = processBus();
        std::unique_lock lock(slot.lock);
        slot.bus = bus;
    }
    static void detachProcessBus(IBusManager *bus)
    {
        ProcessBus &slot = processBus();
        std::unique_lock lock(slot.lock);
        if (slot.bus == bus)
            slot.bus = nullptr;
    }

private:
    struct ProcessBus
    {
        std::shared_mutex lock; // a pthread lock: visible to ThreadSanitizer, unlike QReadWriteLock
        IBusManager *bus = nullptr;
    };
    static ProcessBus &processBus()
    {
        static ProcessBus slot;
        return slot;
    }
};

} // namespace event_bus
