#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace v_protocol {

// Personalization, settings and state files (1, 2, 3): data elements back to back, then CRC-16
// over all element bytes. One element:  0 dataSize(1)  1 id(2)  3 data(dataSize)
struct TFileWithDataElements
{
    static constexpr quint8 kDefaultFileId = 6;

    struct Element
    {
        static constexpr qsizetype kHeaderSize = 3;

        quint8 dataSize = 0; // kept equal to data.size() by whoever fills the element
        quint16 id = 0; // the profile element id the value belongs to
        QByteArray data;

        bool operator==(const Element &other) const
        {
            return dataSize == other.dataSize && id == other.id && data == other.data;
        }
    };

    quint8 fileId = kDefaultFileId; // set from the first chunk when decoded
    QList<Element> elements;
    quint16 crc = 0; // as received

    // A CRC mismatch is tolerated for the state file (id 3) only.
    static ReturnCode fromByteArray(quint8 fileId, const QByteArray &bytes, TFileWithDataElements &file);
    // The file image to write: each element as dataSize (as stored), id, data; then CRC-16 of it all.
    QByteArray toByteArray() const;

    bool operator==(const TFileWithDataElements &other) const
    {
        return fileId == other.fileId && elements == other.elements && crc == other.crc;
    }
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TFileWithDataElements)
