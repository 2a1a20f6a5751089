#pragma once

// The rest of the system as the interface manager sees it over the bus: publishes its commands and
// records everything it publishes. Lives in the test's thread.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/device_manager/cmd_disconnect_from_device.h"
#include "event_topics/messages/interface_manager/cmd_close_interface.h"
#include "event_topics/messages/interface_manager/cmd_create_ble_interface.h"
#include "event_topics/messages/interface_manager/cmd_send_packet.h"
#include "event_topics/messages/interface_manager/device_interface_created.h"
#include "event_topics/messages/interface_manager/device_interface_parameter_changed.h"
#include "event_topics/messages/interface_manager/device_interface_plugget_out.h"
#include "event_topics/messages/interface_manager/packet_received.h"
#include "event_topics/messages/system/debug_happend.h"
#include "event_topics/messages/system/error_happend.h"
#include "testing/bus_subscriptions.h"

#include <QList>
#include <QTest>

namespace bus_probe {

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace sy = event_topics::system;

inline const QString kBarrier = QStringLiteral("{barrier}");

class BusProbe : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    // Subscribes to everything the interface manager publishes; false when not confirmed in time.
    bool subscribeAll()
    {
        const QList<QPair<event_topics::TopicEntry, QString>> topics {
            { im::DeviceInterfaceCreated::topic(), QStringLiteral("onDeviceInterfaceCreated") },
            { im::DeviceInterfacePluggetOut::topic(), QStringLiteral("onDeviceInterfacePluggetOut") },
            { im::PacketReceived::topic(), QStringLiteral("onPacketReceived") },
            { im::DeviceInterfaceParameterChanged::topic(), QStringLiteral("onDeviceInterfaceParameterChanged") },
            { im::CmdCloseInterface::topic(), QStringLiteral("onCmdCloseInterface") },
            { dm::CmdDisconnectFromDevice::topic(), QStringLiteral("onCmdDisconnectFromDevice") },
            { sy::ErrorHappend::topic(), QStringLiteral("onErrorHappend") },
            { sy::DebugHappend::topic(), QStringLiteral("onDebugHappend") },
        };
        return vk_testing::subscribeAndConfirm(*this, topics);
    }

    // Waits until everything published on the Device and System topics before this call has been
    // delivered: a marker on each topic category arrives after it.
    bool barrier()
    {
        const int pluggedOutBefore = int(pluggedOut.size());
        const int errorsBefore = int(errors.size());
        publish(new im::DeviceInterfacePluggetOut({ device_manager::InterfaceType::Unknown, kBarrier, -1 }));
        publish(new sy::ErrorHappend(SubmoduleIds::Unknown, kBarrier, kBarrier));
        const bool arrived = QTest::qWaitFor([&]() {
            return pluggedOut.size() > pluggedOutBefore && errors.size() > errorsBefore
                && pluggedOut.last()->interfaceInfo.uuid == kBarrier && errors.last()->title == kBarrier;
        });
        if (arrived) {
            pluggedOut.removeLast();
            errors.removeLast();
        }
        return arrived;
    }

    QList<im::DeviceInterfaceCreatedMessage> created;
    QList<im::DeviceInterfacePluggetOutMessage> pluggedOut;
    QList<im::PacketReceivedMessage> packets;
    QList<im::DeviceInterfaceParameterChangedMessage> parameterChanges;
    QList<im::CmdCloseInterfaceMessage> closeCommands;
    QList<dm::CmdDisconnectFromDeviceMessage> disconnectCommands;
    QList<sy::ErrorHappendMessage> errors;
    QList<sy::DebugHappendMessage> debugs;

signals:
    void packetArrived(v_protocol::TPacket packet);

public slots:
    void onDeviceInterfaceCreated(im::DeviceInterfaceCreatedMessage message) { created << message; }
    void onDeviceInterfacePluggetOut(im::DeviceInterfacePluggetOutMessage message) { pluggedOut << message; }
    void onPacketReceived(im::PacketReceivedMessage message)
    {
        packets << message;
        emit packetArrived(message->packet);
    }
    void onDeviceInterfaceParameterChanged(im::DeviceInterfaceParameterChangedMessage message)
    {
        parameterChanges << message;
    }
    void onCmdCloseInterface(im::CmdCloseInterfaceMessage message) { closeCommands << message; }
    void onCmdDisconnectFromDevice(dm::CmdDisconnectFromDeviceMessage message) { disconnectCommands << message; }
    void onErrorHappend(sy::ErrorHappendMessage message) { errors << message; }
    void onDebugHappend(sy::DebugHappendMessage message) { debugs << message; }
};

} // namespace bus_probe
