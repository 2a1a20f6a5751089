#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "simulator/device_definition.h"
#include "simulator/device_engine.h"
#include "v_protocol/t_packet.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace device_manager {
class VkDevice;
}

namespace session_testing {

// Carries the packets of a device session to a simulated device and back, as the interface and
// the device manager do: each request is serialised and handed to the device engine; each reply
// item is delivered after its delay, parsed from its bytes (items due at once: from the event loop
// as a real link does, or inside the sending call when deliverAtOnce is set). A packet
// that does not parse is dropped (the interface drops it), and so is a packet for another serial
// number (the device manager routes by serial). A link drop ends the answers: the device ignores
// everything until connectLink() and the link reports linkDropped().
class SimulatedDeviceLink : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedDeviceLink(const simulator::DeviceDefinition &definition, QObject *parent = nullptr);

    simulator::DeviceEngine &engine() { return _engine; }
    const simulator::DeviceDefinition &definition() const { return _engine.definition(); }

    // The descriptor the device manager would hand the session: a BLE interface reporting the link
    // model's packet size (or the one set here), the identity of the running firmware and the
    // root password (or the one set here).
    device_manager::DeviceDiscoveryInfo discoveryInfo() const;
    void setInterfacePacketSize(int size) { _interfacePacketSize = size; }
    void setPassword(const QString &password) { _password = password; }

    // Connects the session's outgoing packets to the device and the answers to the session.
    void attach(device_manager::VkDevice *session);

    // Changes every answer packet before it is delivered (a device announcing other values).
    void setAnswerFilter(std::function<void(v_protocol::TPacket &)> filter) { _answerFilter = std::move(filter); }

    // Items due at once are delivered inside the session's sending call.
    void setDeliverAtOnce(bool atOnce) { _deliverAtOnce = atOnce; }

    // The device comes back on a new link.
    void connectLink();
    bool isLinkUp() const { return _linkUp; }
    // Answers scheduled and not yet delivered.
    int pendingAnswers() const { return _pending; }
    // The deepest nesting of requests seen: a request sent while handling an answer that was
    // delivered inside an earlier request's sending call counts one level deeper.
    int deepestRequestNesting() const { return _deepestNesting; }
    // Every request the session sent, in order.
    const QList<v_protocol::TPacket> &requests() const { return _requests; }

public slots:
    void handleRequest(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo,
        v_protocol::TPacket packet);

signals:
    void packetArrived(device_manager::DeviceInterfaceInfo interfaceInfo, v_protocol::TPacket packet);
    void linkDropped();

private:
    void deliver(const simulator::ReplyItem &item);

    simulator::DeviceEngine _engine;
    device_manager::DeviceInterfaceInfo _interfaceInfo;
    int _interfacePacketSize;
    QString _password;
    std::function<void(v_protocol::TPacket &)> _answerFilter;
    QList<v_protocol::TPacket> _requests;
    int _pending = 0;
    int _nesting = 0;
    int _deepestNesting = 0;
    bool _linkUp = true;
    bool _deliverAtOnce = false;
};

} // namespace session_testing
