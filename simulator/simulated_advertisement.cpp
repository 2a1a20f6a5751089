#include "simulator/simulated_advertisement.h"

#include <QtEndian>

namespace simulator {

QByteArray SimulatedAdvertisement::manufacturerDataOf(quint32 serial, quint16 modelId,
    v_protocol::TFirmwareVersion firmware, quint8 hardwareVersion, v_protocol::TAppType appType,
    const QByteArray &extra)
{
    QByteArray data("VK");
    char serialBytes[4];
    qToLittleEndian<quint32>(serial, serialBytes);
    data.append(serialBytes, 4);
    data.append(char(modelId & 0xFF));
    data.append(char(firmware.toByte()));
    data.append(char(hardwareVersion));
    data.append(char(appType));
    data.append(extra);
    return data;
}

} // namespace simulator
