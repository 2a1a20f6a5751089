#pragma once

// A subscriber in the test's thread that records what the discovery manager publishes.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"

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

    // Asks for every subscription; true once all are confirmed (poll with QTRY_VERIFY).
    void subscribeAll()
    {
        subscribe(event_topics::device_manager::DeviceManagerDeviceDiscovered::topic(), QStringLiteral("onDiscovered"));
        subscribe(event_topics::interface_manager::CmdCreateBleInterface::topic(), QStringLiteral("onCreate"));
        subscribe(event_topics::device_manager::CmdConnectToDeviceInternal::topic(), QStringLiteral("onConnect"));
        subscribe(event_topics::interface_manager::CmdCloseInterface::topic(), QStringLiteral("onClose"));
        subscribe(event_topics::system::ErrorHappend::topic(), QStringLiteral("onError"));
    }
    bool allConfirmed() const
    {
        return isSubscribed(event_topics::device_manager::DeviceManagerDeviceDiscovered::topic())
            && isSubscribed(event_topics::interface_manager::CmdCreateBleInterface::topic())
            && isSubscribed(event_topics::device_manager::CmdConnectToDeviceInternal::topic())
            && isSubscribed(event_topics::interface_manager::CmdCloseInterface::topic())
            && isSubscribed(event_topics::system::ErrorHappend::topic());
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
