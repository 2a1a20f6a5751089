#pragma once

#include "return_codes/return_codes.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

namespace v_protocol {

// Firmware version byte: low four bits the major number, high four bits the minor number.
struct TFirmwareVersion
{
    quint8 Major = 0;
    quint8 Minor = 0;

    static TFirmwareVersion fromByte(quint8 value) { return { quint8(value & 0x0F), quint8(value >> 4) }; }
    quint8 toByte() const { return quint8((Major & 0x0F) | (Minor << 4)); }

    bool operator==(const TFirmwareVersion &other) const { return Major == other.Major && Minor == other.Minor; }
};

// Application info file (file 0), no checksum:
//   0 ModelId(2)  2 HardwareVersion(1)  3 firmware version(1)  4 Name (UTF-8, all remaining bytes)
struct TApplicationInfoFile
{
    static constexpr qsizetype kMinSize = 4;

    quint16 ModelId = 0;
    quint8 HardwareVersion = 0;
    TFirmwareVersion FirmwareVersion;
    QString Name;

    // ErrParsingInvalidSize for fewer than 4 bytes.
    static ReturnCode fromByteArray(const QByteArray &bytes, TApplicationInfoFile &file);
    QByteArray toByteArray() const;

    bool operator==(const TApplicationInfoFile &other) const
    {
        return ModelId == other.ModelId && HardwareVersion == other.HardwareVersion
            && FirmwareVersion == other.FirmwareVersion && Name == other.Name;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TApplicationInfoFile)
