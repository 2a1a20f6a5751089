#pragma once

// Shared by the fuzz targets of the protocol library.

#include "v_protocol/t_chunked_file.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace fuzz_support {

// Decoders log every rejection; thousands of lines per second only slow the fuzzer down.
inline void silenceLogs()
{
    static const bool once = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return true;
    }();
    Q_UNUSED(once);
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return size == 0 ? QByteArray() : QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// An invariant of the code under test; a violation is a finding.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

// A file image cut into chunks of `part` bytes (at least 1), as a read would receive it.
inline v_protocol::TChunkedFile chunksOf(const QByteArray &image, quint8 fileId, int part)
{
    part = qMax(part, 1);
    v_protocol::TChunkedFile chunks;
    qsizetype offset = 0;
    do {
        v_protocol::TChunk chunk;
        chunk.fileId = fileId;
        chunk.fileSize = quint32(image.size());
        chunk.addr = quint32(offset);
        chunk.data = image.mid(offset, part);
        chunk.dataSize = quint16(chunk.data.size());
        chunks.append(chunk);
        offset += part;
    } while (offset < image.size());
    return chunks;
}

// First input byte: chunk size for chunksOf (1...256); the rest: the file image.
inline v_protocol::TChunkedFile chunkedInput(const uint8_t *data, size_t size, quint8 fileId)
{
    if (size == 0)
        return {};
    return chunksOf(bytesOf(data + 1, size - 1), fileId, int(data[0]) + 1);
}

} // namespace fuzz_support
