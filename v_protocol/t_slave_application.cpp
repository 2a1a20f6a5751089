#include "v_protocol/t_slave_application.h"

#include "v_protocol/debug_text.h"

namespace v_protocol {

QString TSlaveApplication::displayText() const
{
    return Name + QLatin1Char('-') + QString::number(Serial);
}

QJsonObject TSlaveApplication::toJson() const
{
    return QJsonObject {
        { QStringLiteral("ModelId"), ModelId },
        { QStringLiteral("HardwareVersion"), HardwareVersion },
        { QStringLiteral("FirmwareVersion"),
            QStringLiteral("%1:%2").arg(FirmwareVersion.Major).arg(FirmwareVersion.Minor) },
        { QStringLiteral("Name"), Name },
        { QStringLiteral("AuthResult"), int(AuthResult) },
        { QStringLiteral("AppType"), int(AppType) },
        { QStringLiteral("MaxSizePacket"), MaxSizePacket },
        { QStringLiteral("Serial"), double(Serial) },
        { QStringLiteral("Pass"), Pass },
    };
}

QDebug operator<<(QDebug debug, const TSlaveApplication &application)
{
    return writeDebugText(debug, QLatin1String("TSlaveApplication[") + application.displayText() + QLatin1Char(']'));
}

} // namespace v_protocol
