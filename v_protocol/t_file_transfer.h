#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_chunked_file.h"

#include <QByteArray>
#include <QList>

namespace v_protocol {

enum class TReadMode {
    Ordinary, // one chunk per request, each at most the maximum chunk data size
    Fast, // windows of up to 10000 bytes; the device streams several chunks per request
};

// What the reading side does with one received chunk (see TFileTransfer::readStep).
struct TReadStep
{
    enum class Action {
        Fail, // the read has failed: stop it and report `failure`
        Complete, // the file is complete: merge and decode it
        Request, // send `request` (and keep it as the new window)
        Wait, // a fast-read window is still streaming: send nothing
    };
    enum class Failure {
        None,
        ChunkBeyondFile, // addr + dataSize exceeds fileSize ("Invalid file size Id[%1]!")
        UnexpectedAddress, // addr is not where the bytes received so far end
        InvalidFastWindow, // stored window has file id 0 or dataSize 0
        InvalidChunkDataSize, // the maximum chunk data size is 0 or less
    };

    Action action = Action::Fail;
    Failure failure = Failure::None;
    ReturnCode result = ReturnCode::Ok;
    quint64 received = 0; // addr + dataSize of the chunk
    // Percentage to report: received * 100 / fileSize (100 for an empty file); -1 when the chunk
    // was refused before progress is reported (ChunkBeyondFile, UnexpectedAddress).
    int percent = -1;
    TChunkRequest request; // action Request only
};

// The arithmetic of the chunked file transfer, free of timers, signals and transport, for the
// master (the device session) and for the device side (the simulator).
class TFileTransfer
{
public:
    // Largest window a fast read asks for.
    static constexpr quint16 kFastReadWindow = 10000;
    // Largest chunk data that still fits one packet (size is a 16-bit field).
    static constexpr int kMaxChunkDataSize = 0xFFFF - kChunkPacketOverhead;

    // Master, reading ------------------------------------------------------------------------------

    // The request that opens every read: { fileId, addr 0, dataSize 1 }; its answer tells the size.
    static TChunkRequest openingRequest(quint8 fileId);

    // done * 100 / total in integer percent, computed without overflow; 100 when total is 0.
    static int percent(quint64 done, quint64 total);

    // Decides what follows a decoded chunk of the file `fileId`.
    // receivedBefore: bytes received before this chunk (TChunkedFile::receivedSize() before it is
    // appended); window: the last request sent (fast reads only); maxChunkDataSize: packet size - 26.
    static TReadStep readStep(const TChunk &chunk, quint64 receivedBefore, quint8 fileId, TReadMode mode,
        const TChunkRequest &window, int maxChunkDataSize);

    // The next request once `received` bytes of `fileSize` are in:
    // { fileId, received, min(fileSize - received, limit) }, limit capped to 16 bits.
    static TChunkRequest nextRequest(quint8 fileId, quint64 received, quint32 fileSize, int limit);

    // Master, writing ------------------------------------------------------------------------------

    // Cuts `data` into the chunks of a write: chunk data size d = maxChunkDataSize, rounded down to a
    // multiple of `alignment` when that is above 1; chunks { fileId, total length, offset,
    // min(d, rest), bytes }. Every chunk after the first is logged as "Extra chunk added: ".
    // Refuses (ErrArgumentBadValue, logged) empty data, data beyond 32-bit sizes and a chunk data size
    // that is 0 or less before or after the alignment.
    static ReturnCode splitForWrite(
        quint8 fileId, const QByteArray &data, int maxChunkDataSize, int alignment, TChunkedFile &chunks);

    // Progress reported when `chunk` is sent: addr * 100 / fileSize.
    static int writeProgress(const TChunk &chunk);

    // Both sides ------------------------------------------------------------------------------------

    // Bytes [begin, end) of `file` as chunks of at most `chunkSize` (at least 1) data bytes, each
    // { fileId, file size, offset, length, bytes }; at least one chunk, with no data when the range
    // is empty. The caller keeps 0 <= begin <= end <= file size.
    static TChunkedFile cutIntoChunks(
        const QByteArray &file, quint8 fileId, qsizetype begin, qsizetype end, int chunkSize);

    // Device side ----------------------------------------------------------------------------------

    // The chunks answering `request` for the file image `file`: bytes [addr, addr + min(dataSize,
    // size - addr)) cut into chunks of at most maxChunkDataSize, at least one chunk (with no data when
    // the range is empty, as for the opening request of an empty file). ErrArgumentBadValue when
    // addr lies beyond the end of the file or maxChunkDataSize is 0 or less.
    static ReturnCode answerRequest(
        const QByteArray &file, const TChunkRequest &request, int maxChunkDataSize, QList<TChunk> &chunks);

    // Status the device answers to a written chunk, given the bytes it has taken so far for this file
    // and the file's maximum size: FileSizeTooBig when fileSize exceeds maxFileSize,
    // FileResultOperationNotAllowed when the chunk is not the next part of the file, else success.
    static TSystemFileResult acceptWrittenChunk(const TChunk &chunk, quint64 receivedBefore, quint64 maxFileSize);
};

} // namespace v_protocol
