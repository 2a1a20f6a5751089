#include "device_manager/discovery/advertisement_parser.h"

#include <QtEndian>

namespace device_manager {

namespace {
constexpr qsizetype kMinimumSize = 9;
constexpr char kMagic[] = "VK";
} // namespace

std::optional<v_protocol::TSlaveApplication> parseAdvertisement(
    const QString &name, const QList<QByteArray> &manufacturerData)
{
    if (manufacturerData.isEmpty())
        return std::nullopt;
    const QByteArray &data = manufacturerData.first();
    if (data.size() < kMinimumSize || !data.startsWith(kMagic))
        return std::nullopt;

    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    v_protocol::TSlaveApplication application;
    application.Serial = qFromLittleEndian<quint32>(bytes + 2);
    application.ModelId = bytes[6];
    application.FirmwareVersion = v_protocol::TFirmwareVersion::fromByte(bytes[7]);
    application.HardwareVersion = bytes[8];
    application.Name = name;
    application.AuthResult = v_protocol::TAuthResult::Error;
    application.AppType = v_protocol::TAppType::Application;
    application.MaxSizePacket = 0;
    application.Pass.clear();
    return application;
}

} // namespace device_manager
