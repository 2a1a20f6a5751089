#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/t_chunk.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace v_protocol {

struct TApplicationInfoFile;
struct TFileTable;
struct TFileWithDataElements;
struct TSlaveProfile;

// The chunks of one file in arrival order (received when reading, still to send when writing).
class TChunkedFile : public QList<TChunk>
{
public:
    using QList<TChunk>::QList;

    // Sum of the chunks' dataSize: the bytes received so far.
    quint64 receivedSize() const;

    // Concatenates the chunks' data into one file image. Refuses an empty list
    // (ErrParsingInvalidArgLength); refuses with ErrParsingInvalidSize a chunk whose fileSize is
    // smaller than the data up to its end, a chunk whose addr is not where the data before it ends
    // (a gap or an overlap would give a corrupted image) and an image whose length differs from the
    // fileSize of the first chunk (an incomplete file).
    ReturnCode merge(QByteArray &bytes) const;

    // Structured decoders: each resets its output, merges first (a merge error is returned as it
    // is), then decodes the image with the file's fromByteArray.
    ReturnCode toApplicationInfoFile(TApplicationInfoFile &file) const;
    ReturnCode toFileTable(TFileTable &table) const;
    ReturnCode toFileWithDataElements(TFileWithDataElements &file) const;
    ReturnCode toSlaveProfile(TSlaveProfile &profile) const;
};

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TChunkedFile)
