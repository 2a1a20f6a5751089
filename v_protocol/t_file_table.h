#pragma once

#include "return_codes/return_codes.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QObject>

namespace v_protocol {

// File table (file 8): 11-byte elements back to back, then CRC-16 over all element bytes.
// One element:
//   0 fileId(1)  1 maxSize(4)  5 permissions(1): bits 0-1 read, 2-3 write, 4-5 clear
//   6 flags(1): bit 0 checkCrc, bit 1 fast reading  7 format(1)  8 reserved(3)
struct TFileTable
{
    Q_GADGET

public:
    enum class Permission : quint8 {
        Hidden = 0,
        RootEnabledUserDisabled = 1,
        RootDisabledUserEnabled = 2,
        Enabled = 3,
    };
    Q_ENUM(Permission)

    enum class Format : quint8 {
        StandardNotErasable = 0,
        StandardErasable = 1,
        RingErasable = 2,
        FIFOErasable = 3,
        LIFOErasable = 4,
    };
    Q_ENUM(Format)

    struct Element
    {
        static constexpr qsizetype kSize = 11;

        quint8 fileId = 0;
        quint32 maxSize = 0; // the largest size the file may have
        Permission readPermission = Permission::Hidden;
        Permission writePermission = Permission::Hidden;
        Permission clearPermission = Permission::Hidden;
        bool checkCrc = false;
        bool fastReading = false;
        Format format = Format::StandardNotErasable;

        bool operator==(const Element &other) const;
    };

    QList<Element> elements; // in file order
    quint16 crc = 0; // as received

    static ReturnCode fromByteArray(const QByteArray &bytes, TFileTable &table);
    // Elements and a freshly computed CRC (the stored `crc` is not used).
    QByteArray toByteArray() const;

    // { "elements": [ { "fileId", "maxSize", "readPermission", "writePermission", "clearPermission",
    //   "checkCrc", "format" } ... ], "crc" }
    QJsonObject toJson() const;

    // "::v_protocol::TFileTable::Permission::Enabled", "::v_protocol::TFileTable::Format::RingErasable";
    // empty for values without a name.
    static QString toText(Permission value);
    static QString toText(Format value);

    bool operator==(const TFileTable &other) const { return elements == other.elements && crc == other.crc; }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TFileTable)
