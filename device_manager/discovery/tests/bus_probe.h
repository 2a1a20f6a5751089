#pragma once

// A subscriber in the test's thread that records what the discovery manager publishes.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"
#include "testing/bus_subscriptions.h"

#include <QList>

#include <optional>

namespace discovery_test {

class BusProbe : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    QList<event_topics::device_manager::DeviceManagerDeviceDiscoveredMessage> discovered;
    QList<event_topics::interface_manager::CmdCreateBleInterfaceMessage> createRequests;
    QList<event_topics::device_manager::CmdConnectToDeviceInternalMessage> connectRequests;
    QList<event_topics::interface_manager::CmdCloseInterfaceMessage> closeRequests;
    QList<event_topics::system::ErrorHappendMessage> errors;

    // Subscribes to everything recorded here; true once every subscription is confirmed.
    bool subscribeAll(int timeoutMs)
    {
        return vk_testing::subscribeAndConfirm(*this,
            { { event_topics::device_manager::DeviceManagerDeviceDiscovered::topic(), QStringLiteral("onDiscovered") },
                { event_topics::interface_manager::CmdCreateBleInterface::topic(), QStringLiteral("onCreate") },
                { event_topics::device_manager::CmdConnectToDeviceInternal::topic(), QStringLiteral("onConnect") },
                { event_topics::interface_manager::CmdCloseInterface::topic(), QStringLiteral("onClose") },
                { event_topics::system::ErrorHappend::topic(), QStringLiteral("onError") } },
            timeoutMs);
    }

    int errorCount(device_manager::TrStrings title, device_manager::TrStrings text) const
    {
        int count = 0;
        for (const auto &error : errors) {
            count += error->titleIndex == title && error->textIndex == text
                    && error->submoduleId == SubmoduleIds::DeviceManager
                ? 1
                : 0;
        }
        return count;
    }

    std::optional<device_manager::DeviceDiscoveryInfo> lastDiscovered(quint64 serial) const
    {
        for (auto it = discovered.crbegin(); it != discovered.crend(); ++it) {
            if ((*it)->discoveredDevice.deviceInfo.Serial == serial)
                return (*it)->discoveredDevice;
        }
        return std::nullopt;
    }

    void clear()
    {
        discovered.clear();
        createRequests.clear();
        connectRequests.clear();
        closeRequests.clear();
        errors.clear();
    }

public slots:
    void onDiscovered(event_topics::device_manager::DeviceManagerDeviceDiscoveredMessage message)
    {
        discovered.append(message);
    }
    void onCreate(event_topics::interface_manager::CmdCreateBleInterfaceMessage message)
    {
        createRequests.append(message);
    }
    void onConnect(event_topics::device_manager::CmdConnectToDeviceInternalMessage message)
    {
        connectRequests.append(message);
    }
    void onClose(event_topics::interface_manager::CmdCloseInterfaceMessage message) { closeRequests.append(message); }
    void onError(event_topics::system::ErrorHappendMessage message) { errors.append(message); }
};

} // namespace discovery_test
