#pragma once

#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/interface_parameter_flag.h"
#include "device_manager/descriptors/tr_strings.h"
#include "return_codes/return_codes.h"
#include "v_protocol/t_packet.h"

#include <QByteArray>
#include <QObject>

namespace device_manager {

// A packet transport to one device. Only the interface manager creates interfaces (through the
// factory chosen at start-up), owns them and relays their signals to the bus; an interface never
// touches the bus itself. It lives in the interface manager's thread.
//
// Life of a link: open() starts connecting and returns at once; pluggedIn() says that packets can
// flow. Whatever ends the link (close(), a failure, the device going away) ends in exactly one
// pluggedOut(), after which the receiver may destroy the interface. Destroying an interface emits
// nothing.
class IDeviceInterface : public QObject
{
    Q_OBJECT

public:
    // An empty uuid in `info` is replaced by a fresh random uuid in braced text form.
    IDeviceInterface(QObject *parent, const DeviceInterfaceInfo &info);
    ~IDeviceInterface() override;

    const DeviceInterfaceInfo &interfaceInfo() const { return _interfaceInfo; }

public slots:
    virtual bool isOpen() = 0;
    virtual ReturnCode open() = 0;
    virtual ReturnCode close() = 0;
    // Sends one whole packet; the caller keeps it within maximumPacketSize().
    virtual ReturnCode sendPacket(device_manager::DeviceEntry entry, v_protocol::TPacket packet) = 0;
    // Largest packet one write carries; -1 and 0 both mean that the link sets no known limit.
    virtual int maximumPacketSize() = 0;

signals:
    void pluggedIn(device_manager::DeviceInterfaceInfo interfaceInfo);
    // For links that can lose a device while staying up; Bluetooth LE links never emit it.
    void connectionLost(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo);
    // The link is gone; the receiver may destroy the interface.
    void pluggedOut(device_manager::DeviceInterfaceInfo interfaceInfo);
    void dataReceived(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo,
        v_protocol::TPacket packet);
    void errorHappend(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
    void parameterChanged(device_manager::DeviceInterfaceInfo interfaceInfo,
        device_manager::ChangedInterfaceParameters changedParameters);
    void debugHappend(QString text);

protected:
    // Turns the bytes of one received message of the link into one packet: they must hold exactly
    // one whole packet (no reassembly). A packet that does not parse is logged ("Bad result: "),
    // reported by debugHappend("v-protocol parsing error: <code name>") and still delivered, as far
    // as it was read, by dataReceived for the device its header names.
    void receivePacketBytes(const QByteArray &bytes);

    DeviceInterfaceInfo _interfaceInfo;
};

} // namespace device_manager
