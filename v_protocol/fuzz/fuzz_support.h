#pragma once

// Shared by the fuzz targets of the protocol library.

#include "testing/fuzz_support.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_file_transfer.h"

#include <QByteArray>
#include <QtGlobal>

namespace fuzz_support {

using vk_testing::bytesOf;
using vk_testing::require;
using vk_testing::silenceLogs;

// A file image cut into chunks of `part` bytes, as a read would receive it.
inline v_protocol::TChunkedFile chunksOf(const QByteArray &image, quint8 fileId, int part)
{
    return v_protocol::TFileTransfer::cutIntoChunks(image, fileId, 0, image.size(), part);
}

// Longest file image the file targets look at: the decoders' logic shows on short images, and
// longer ones only slow the runs down.
constexpr size_t kMaxImageSize = 2048;

// First input byte: chunk size for chunksOf (8, 16, ... 2048); the rest: the file image.
inline v_protocol::TChunkedFile chunkedInput(const uint8_t *data, size_t size, quint8 fileId)
{
    if (size == 0)
        return {};
    return chunksOf(bytesOf(data + 1, qMin(size - 1, kMaxImageSize)), fileId, (int(data[0]) + 1) * 8);
}

} // namespace fuzz_support
