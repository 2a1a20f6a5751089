#include "v_protocol/t_file_transfer.h"

#include "v_protocol/debug_text.h"

#include <algorithm>

namespace v_protocol {
namespace {

TReadStep failedStep(TReadStep step, TReadStep::Failure failure, ReturnCode result)
{
    step.action = TReadStep::Action::Fail;
    step.failure = failure;
    step.result = return_codes::logIfError(result);
    return step;
}

} // namespace

TChunkRequest TFileTransfer::openingRequest(quint8 fileId)
{
    TChunkRequest request;
    request.fileId = fileId;
    request.addr = 0;
    request.dataSize = 1;
    return request;
}

int TFileTransfer::percent(quint64 done, quint64 total)
{
    if (total == 0)
        return 100;
    // done and total fit 33 bits in every use; the product cannot overflow 64 bits.
    return int(std::min<quint64>(done, total) * 100 / total);
}

TChunkRequest TFileTransfer::nextRequest(quint8 fileId, quint64 received, quint32 fileSize, int limit)
{
    TChunkRequest request;
    request.fileId = fileId;
    request.addr = quint32(received);
    const quint64 rest = received < fileSize ? fileSize - received : 0;
    const quint64 cap = quint64(std::clamp(limit, 0, 0xFFFF));
    request.dataSize = quint16(std::min(rest, cap));
    return request;
}

TReadStep TFileTransfer::readStep(const TChunk &chunk, quint64 receivedBefore, quint8 fileId, TReadMode mode,
    const TChunkRequest &window, int maxChunkDataSize)
{
    TReadStep step;
    step.received = chunk.end();
    if (step.received > chunk.fileSize)
        return failedStep(step, TReadStep::Failure::ChunkBeyondFile, ReturnCode::ErrParsingInvalidSize);
    if (chunk.addr != receivedBefore) {
        logText(QStringLiteral("Unexpected chunk addr: received so far[%1], chunk ").arg(receivedBefore)
            + debugText(chunk));
        return failedStep(step, TReadStep::Failure::UnexpectedAddress, ReturnCode::ErrParsingInvalidSize);
    }

    step.percent = percent(step.received, chunk.fileSize);
    if (step.received == chunk.fileSize) {
        step.action = TReadStep::Action::Complete;
        return step;
    }

    if (mode == TReadMode::Ordinary) {
        if (maxChunkDataSize <= 0) {
            logText(QStringLiteral("Invalid maximum chunk data size: %1").arg(maxChunkDataSize));
            return failedStep(step, TReadStep::Failure::InvalidChunkDataSize, ReturnCode::ErrArgumentBadValue);
        }
        step.action = TReadStep::Action::Request;
        step.request = nextRequest(fileId, step.received, chunk.fileSize, maxChunkDataSize);
        return step;
    }

    if (window.fileId == 0 || window.dataSize == 0)
        return failedStep(step, TReadStep::Failure::InvalidFastWindow, ReturnCode::ErrArgumentUnexpectedValue);
    if (step.received != window.end()) {
        step.action = TReadStep::Action::Wait;
        return step;
    }
    step.action = TReadStep::Action::Request;
    step.request = nextRequest(fileId, step.received, chunk.fileSize, kFastReadWindow);
    return step;
}

ReturnCode TFileTransfer::splitForWrite(
    quint8 fileId, const QByteArray &data, int maxChunkDataSize, int alignment, TChunkedFile &chunks)
{
    chunks.clear();
    if (data.isEmpty() || quint64(data.size()) > 0xFFFFFFFFull)
        return return_codes::logIfError(ReturnCode::ErrArgumentBadValue);

    int chunkSize = std::min(maxChunkDataSize, kMaxChunkDataSize);
    if (alignment > 1)
        chunkSize -= chunkSize % alignment;
    if (chunkSize <= 0) {
        logText(
            QStringLiteral("Invalid maximum chunk data size: %1, alignment: %2").arg(maxChunkDataSize).arg(alignment));
        return return_codes::logIfError(ReturnCode::ErrArgumentBadValue);
    }

    chunks = cutIntoChunks(data, fileId, 0, data.size(), chunkSize);
    for (qsizetype i = 1; i < chunks.size(); ++i)
        logText(QLatin1String("Extra chunk added: ") + debugText(chunks.at(i)));
    return ReturnCode::Ok;
}

int TFileTransfer::writeProgress(const TChunk &chunk)
{
    return percent(chunk.addr, chunk.fileSize);
}

ReturnCode TFileTransfer::answerRequest(
    const QByteArray &file, const TChunkRequest &request, int maxChunkDataSize, QList<TChunk> &chunks)
{
    chunks.clear();
    if (maxChunkDataSize <= 0 || request.addr > quint64(file.size()))
        return return_codes::logIfError(ReturnCode::ErrArgumentBadValue);

    const qsizetype begin = qsizetype(request.addr);
    const qsizetype end = begin + std::min<qsizetype>(request.dataSize, file.size() - begin);
    chunks = cutIntoChunks(file, request.fileId, begin, end, std::min(maxChunkDataSize, kMaxChunkDataSize));
    return ReturnCode::Ok;
}

TChunkedFile TFileTransfer::cutIntoChunks(
    const QByteArray &file, quint8 fileId, qsizetype begin, qsizetype end, int chunkSize)
{
    chunkSize = std::max(chunkSize, 1);
    TChunkedFile chunks;
    qsizetype offset = begin;
    do {
        TChunk chunk;
        chunk.fileId = fileId;
        chunk.fileSize = quint32(file.size());
        chunk.addr = quint32(offset);
        chunk.data = file.mid(offset, std::min<qsizetype>(chunkSize, end - offset));
        chunk.dataSize = quint16(chunk.data.size());
        chunks.append(chunk);
        offset += chunkSize;
    } while (offset < end);
    return chunks;
}

TSystemFileResult TFileTransfer::acceptWrittenChunk(const TChunk &chunk, quint64 receivedBefore, quint64 maxFileSize)
{
    if (chunk.fileSize > maxFileSize)
        return TSystemFileResult::FileSizeTooBig;
    if (chunk.addr != receivedBefore || chunk.end() > chunk.fileSize || chunk.data.size() != chunk.dataSize)
        return TSystemFileResult::FileResultOperationNotAllowed;
    return TSystemFileResult::FileResultSuccess;
}

} // namespace v_protocol
