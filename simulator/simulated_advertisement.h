#pragma once

#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_application_info_file.h"

#include <QByteArray>
#include <QString>

namespace simulator {

// What a simulated device advertises over Bluetooth LE, in the form the platform delivers it: the
// advertised name, the device address, the manufacturer-specific data of one company id (without the
// two company id bytes), and the signal strength at which the scanner receives it.
//
// Manufacturer data: "VK", serial (32-bit little-endian), model id (low byte), firmware version
// byte (low nibble major, high nibble minor), hardware version, application type, extra bytes.
struct SimulatedAdvertisement
{
    static constexpr quint16 kTestCompanyId = 0xFFFF; // reserved for tests and internal use
    static constexpr qint16 kDefaultRssi = -60; // dBm, a device a few metres away

    QString name;
    QString address; // "C4:7F:51:00:10:01"
    quint16 companyId = kTestCompanyId;
    QByteArray manufacturerData;
    qint16 rssi = kDefaultRssi; // dBm

    static QByteArray manufacturerDataOf(quint32 serial, quint16 modelId, v_protocol::TFirmwareVersion firmware,
        quint8 hardwareVersion, v_protocol::TAppType appType, const QByteArray &extra = QByteArray());

    bool operator==(const SimulatedAdvertisement &other) const
    {
        return name == other.name && address == other.address && companyId == other.companyId
            && manufacturerData == other.manufacturerData && rssi == other.rssi;
    }
};

} // namespace simulator
