// Received chunk sequences: the chunk decoder, the read arithmetic a session applies to each chunk,
// and the merge; plus the write split and the device-side answer on the same bytes.
#include "fuzz_support.h"

#include "v_protocol/t_file_transfer.h"
#include "v_protocol/t_packet.h"

using fuzz_support::require;
using namespace v_protocol;

namespace {

// Input: [mode][max chunk data size][records...], each record [length][payload bytes after the type].
void readAndMerge(const QByteArray &input)
{
    if (input.size() < 2)
        return;
    const TReadMode mode = (quint8(input.at(0)) & 1) ? TReadMode::Fast : TReadMode::Ordinary;
    const int maxChunkDataSize = int(quint8(input.at(1))) - 16;
    TChunkedFile chunks;
    TChunkRequest window = TFileTransfer::openingRequest(9);
    bool accepted = true;
    bool complete = false;
    for (qsizetype offset = 2; offset < input.size() && !complete;) {
        const qsizetype length = quint8(input.at(offset));
        const QByteArray payload = QByteArray(1, char(TPayloadType::FileChunk)) + input.mid(offset + 1, length);
        offset += 1 + length;
        TChunk chunk;
        if (TPacket::makeResponse(payload, 1, 2, 3).toChunk(chunk) != ReturnCode::Ok)
            continue;
        require(chunk.data.size() == chunk.dataSize);

        const quint64 before = chunks.receivedSize();
        const TReadStep step = TFileTransfer::readStep(chunk, before, 9, mode, window, maxChunkDataSize);
        require(step.received == chunk.end());
        require(step.percent >= -1 && step.percent <= 100);
        switch (step.action) {
        case TReadStep::Action::Fail:
            require(step.result < 0 && step.failure != TReadStep::Failure::None);
            accepted = false;
            break;
        case TReadStep::Action::Complete: complete = true; break;
        case TReadStep::Action::Request:
            require(step.request.addr == step.received && step.request.dataSize > 0);
            require(step.request.end() <= chunk.fileSize);
            window = step.request;
            break;
        case TReadStep::Action::Wait: require(mode == TReadMode::Fast); break;
        }
        if (!accepted)
            break;
        chunks.append(chunk);
    }

    QByteArray merged;
    if (chunks.merge(merged) == ReturnCode::Ok) {
        QByteArray expected;
        for (const TChunk &chunk : chunks)
            expected.append(chunk.data);
        require(merged == expected);
        require(quint64(merged.size()) == chunks.first().fileSize);
    } else if (complete) {
        // Every chunk kept passed the read arithmetic and the last one completed the file: only a
        // size announced differently by the first chunk stops the merge.
        require(chunks.first().fileSize != chunks.last().fileSize);
    }
}

// Input: [alignment][max chunk data size, 10 bits][data...]. Sizes stay small enough that one input
// makes at most a few hundred chunks (each extra chunk is logged).
void splitAndAnswer(const QByteArray &input)
{
    if (input.size() < 3)
        return;
    const int alignment = quint8(input.at(0)) % 9;
    const int maxChunkDataSize = int(quint8(input.at(1)) | (quint8(input.at(2)) & 0x03) << 8) - 16;
    const QByteArray data = input.mid(3, 512);

    TChunkedFile chunks;
    if (TFileTransfer::splitForWrite(5, data, maxChunkDataSize, alignment, chunks) == ReturnCode::Ok) {
        QByteArray joined;
        quint64 received = 0;
        for (const TChunk &chunk : chunks) {
            require(chunk.dataSize > 0 && chunk.dataSize <= maxChunkDataSize);
            require(alignment <= 1 || &chunk == &chunks.last() || chunk.dataSize % alignment == 0);
            require(TFileTransfer::acceptWrittenChunk(chunk, received, quint64(data.size()))
                == TSystemFileResult::FileResultSuccess);
            received += chunk.dataSize;
            joined.append(chunk.data);
        }
        require(joined == data);
    } else {
        require(chunks.isEmpty());
    }

    TChunkRequest request;
    request.fileId = 5;
    request.addr = quint32(maxChunkDataSize + 16) % quint32(data.size() + 2);
    request.dataSize = quint16(alignment * 100);
    QList<TChunk> answer;
    if (TFileTransfer::answerRequest(data, request, maxChunkDataSize, answer) == ReturnCode::Ok) {
        require(!answer.isEmpty());
        quint64 addr = request.addr;
        for (const TChunk &chunk : answer) {
            require(chunk.addr == addr && chunk.data == data.mid(qsizetype(addr), chunk.dataSize));
            addr += chunk.dataSize;
        }
        require(addr <= request.end());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_support::silenceLogs();
    // A few dozen chunks show every path of the arithmetic; longer sequences only slow the run down.
    const QByteArray input = fuzz_support::bytesOf(data, qMin<size_t>(size, 512));
    readAndMerge(input);
    splitAndAnswer(input);
    return 0;
}
