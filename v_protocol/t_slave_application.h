#pragma once

#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_application_info_file.h"

#include <QDebug>
#include <QJsonObject>
#include <QMetaType>

namespace v_protocol {

// Identity of one device as the rest of the system carries it: the application info fields plus
// what discovery and authentication add.
struct TSlaveApplication : TApplicationInfoFile
{
    // Serial value of a record that has no serial number yet.
    static constexpr quint64 kNoSerial = ~quint64(0);

    TAuthResult AuthResult = TAuthResult::Error;
    TAppType AppType = TAppType::Application;
    quint16 MaxSizePacket = 0;
    quint64 Serial = kNoSerial; // 64-bit in memory; every wire form carries 32 bits
    QString Pass; // password text used for authentication

    bool hasSerial() const { return Serial != kNoSerial; }

    // Name, "-", Serial in decimal.
    QString displayText() const;
    // { "ModelId", "HardwareVersion", "FirmwareVersion" ("major:minor"), "Name", "AuthResult",
    //   "AppType", "MaxSizePacket", "Serial", "Pass" }, enumerations as numbers.
    QJsonObject toJson() const;

    bool operator==(const TSlaveApplication &other) const
    {
        return TApplicationInfoFile::operator==(other) && AuthResult == other.AuthResult && AppType == other.AppType
            && MaxSizePacket == other.MaxSizePacket && Serial == other.Serial && Pass == other.Pass;
    }
};

// TSlaveApplication[<display text>]
QDebug operator<<(QDebug debug, const TSlaveApplication &application);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TSlaveApplication)
