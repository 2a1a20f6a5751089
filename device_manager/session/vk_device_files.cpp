// The file transfer steps of the device session: chunks of reads, chunk accepts of writes, finishing
// a read by its file id, and the failure report of a task.

#include "device_manager/session/vk_device.h"

#include "v_protocol/requests.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_file_transfer.h"

#include <QDebug>

namespace device_manager {

using v_protocol::TChunk;
using v_protocol::TChunkedFile;
using v_protocol::TFileTransfer;
using v_protocol::TMandatoryFileTypes;
using v_protocol::TPacket;
using v_protocol::TReadStep;

namespace {

// The diagnostic note of a refused chunk; empty when the failure has none of its own.
QString readFailureNote(TReadStep::Failure failure, uint8_t fileId)
{
    switch (failure) {
    case TReadStep::Failure::ChunkBeyondFile: return QStringLiteral("Invalid file size Id[%1]!").arg(int(fileId));
    case TReadStep::Failure::UnexpectedAddress: return QStringLiteral("Unexpected chunk addr Id[%1]!").arg(int(fileId));
    case TReadStep::Failure::InvalidFastWindow:
        return QStringLiteral("Invalid chunkRequest for fast reading Id[%1]!").arg(int(fileId));
    case TReadStep::Failure::InvalidChunkDataSize:
        return QStringLiteral("Invalid maximum chunk data size Id[%1]!").arg(int(fileId));
    case TReadStep::Failure::None: break;
    }
    return QString();
}

// Decodes the merged chunks as a `File` and hands it to `emitResult` when that succeeded.
template<typename File, typename Emit>
ReturnCode decodeFile(const TChunkedFile &chunks, ReturnCode (TChunkedFile::*decode)(File &) const, Emit emitResult)
{
    File file;
    const ReturnCode rc = (chunks.*decode)(file);
    if (rc >= 0)
        emitResult(file);
    return rc;
}

} // namespace

ReturnCode VkDevice::_onFileChunk(const TPacket &packet)
{
    // Chunks of a read that has already ended (failed, or timed out) must not give it a second result.
    if (!_isAnswerToActiveTask(packet.payloadType)) {
        qDebug() << "Received unexpected file chunk!";
        return ReturnCode::WarnUnexpectedValue;
    }
    DeviceTask &task = *_currentTask;
    TChunk chunk;
    const ReturnCode decoded = packet.toChunk(chunk);
    if (decoded < 0) {
        qDebug() << "Unable to parse TChunk!";
        _endActiveTask();
        _failTask(&task);
        return decoded;
    }

    const auto mode
        = task.type == DeviceTaskType::ReadRawFileFast ? v_protocol::TReadMode::Fast : v_protocol::TReadMode::Ordinary;
    const TReadStep step = TFileTransfer::readStep(
        chunk, task.chunks.receivedSize(), uint8_t(task.subtype), mode, task.window, _maximumChunkDataSize);
    if (step.percent >= 0)
        _sendRoutineProgressUpdated(TrStrings::ReadingFile, step.percent);
    if (step.action == TReadStep::Action::Fail) {
        _note(QStringLiteral("Error"), readFailureNote(step.failure, chunk.fileId));
        _endActiveTask();
        _failTask(&task);
        return step.result;
    }
    task.chunks.append(chunk);
    if (step.action == TReadStep::Action::Complete) {
        _endActiveTask();
        return _finishRead(task);
    }
    // The timer runs before the request leaves, so that an answer delivered at once finds it running.
    _restartTaskTimer();
    if (step.action == TReadStep::Action::Request) {
        task.window = step.request;
        _sendRequest(v_protocol::makeChunkRequest(
            step.request, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid));
    }
    return ReturnCode::Ok;
}

ReturnCode VkDevice::_onFileChunkAccept(const TPacket &packet)
{
    if (!_currentTask) {
        qDebug() << "Received unexpected file chunk!";
        _failTask(nullptr);
        return ReturnCode::WarnUnexpectedValue;
    }
    if (!_isAnswerToActiveTask(packet.payloadType)) {
        // A late accept of a task that has already had its result, or an accept during a command,
        // debug or authentication request, which never end with one.
        qDebug() << "Received unexpected file chunk!";
        return ReturnCode::WarnUnexpectedValue;
    }
    DeviceTask &task = *_currentTask;
    if (task.type != DeviceTaskType::WriteFile) {
        // The device refuses a read, a clearing or a file name request.
        qDebug() << (task.isRead() ? "Unexpected case!" : "Received unexpected file chunk!");
        _endActiveTask();
        _failTask(&task);
        return ReturnCode::WarnUnexpectedValue;
    }

    v_protocol::TChunkAccept accept;
    const ReturnCode decoded = packet.toChunkAccept(accept);
    if (decoded < 0) {
        qDebug() << "Unable to parse TChunkAccept!";
        _note(QStringLiteral("Internal error"), QStringLiteral("Unable to parse TChunkAccept!"));
        _endActiveTask();
        _failTask(&task);
        return decoded;
    }
    if (accept.status != v_protocol::TSystemFileResult::FileResultSuccess) {
        const QString status = v_protocol::toText(accept.status);
        qDebug() << "Invalid TChunkAccept.status " << status;
        _note(QStringLiteral("Internal error"), QStringLiteral("Invalid TChunkAccept.status %1").arg(status));
        _endActiveTask();
        _failTask(&task);
        return ReturnCode::WarnUnexpectedValue;
    }

    if (!task.chunks.isEmpty()) {
        const TChunk next = task.chunks.takeFirst();
        _sendRoutineProgressUpdated(TrStrings::TransferringFile, TFileTransfer::writeProgress(next));
        _restartTaskTimer();
        _sendRequest(
            v_protocol::makeChunkPacket(next, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid));
        return ReturnCode::Ok;
    }
    _endActiveTask();
    if (task.subtype > int(TMandatoryFileTypes::StateFile))
        emit rawFileTransmitted(_deviceEntry, uint8_t(task.subtype), true);
    else
        emit fileWithDataElementsTransmitted(_deviceEntry, TMandatoryFileTypes(task.subtype), true);
    return ReturnCode::Ok;
}

ReturnCode VkDevice::_finishRead(const DeviceTask &task)
{
    if (task.chunks.isEmpty()) {
        _failTask(&task);
        return return_codes::logIfError(ReturnCode::ErrArgumentUnexpectedValue);
    }
    if (task.type == DeviceTaskType::ReadFile)
        return _finishStructuredRead(task);

    QByteArray bytes;
    const ReturnCode rc = task.chunks.merge(bytes);
    if (rc < 0) {
        _failTask(&task);
        return rc;
    }
    emit rawFileReceived(_deviceEntry, task.chunks.first().fileId, bytes, true);
    return ReturnCode::Ok;
}

ReturnCode VkDevice::_finishStructuredRead(const DeviceTask &task)
{
    const TChunk &first = task.chunks.first();
    if (first.fileId != task.subtype) {
        // The device sent another file than the one asked for: the read has no result to give.
        qWarning() << "Received chunks of file" << int(first.fileId) << "for a read of file" << task.subtype;
        _failTask(&task);
        return return_codes::logIfError(ReturnCode::ErrArgumentUnexpectedValue);
    }
    ReturnCode rc = ReturnCode::Ok;
    switch (TMandatoryFileTypes(first.fileId)) {
    case TMandatoryFileTypes::ApplicationInfoFile:
        qDebug() << "ApplicationInfoFile:" << first;
        rc = decodeFile(
            task.chunks, &TChunkedFile::toApplicationInfoFile, [this](const v_protocol::TApplicationInfoFile &file) {
                emit applicationInfoFileReceived(_deviceEntry, file, true);
            });
        break;
    case TMandatoryFileTypes::PersonalizationFile:
    case TMandatoryFileTypes::SettingsFile:
    case TMandatoryFileTypes::StateFile:
        rc = decodeFile(
            task.chunks, &TChunkedFile::toFileWithDataElements, [this](const v_protocol::TFileWithDataElements &file) {
                emit fileWithDataElementsReceived(_deviceEntry, file, true);
            });
        break;
    case TMandatoryFileTypes::SlaveProfile:
        rc = decodeFile(task.chunks, &TChunkedFile::toSlaveProfile, [this](const v_protocol::TSlaveProfile &profile) {
            emit slaveProfileReceived(_deviceEntry, profile, true);
        });
        break;
    case TMandatoryFileTypes::FileInfo:
        rc = decodeFile(task.chunks, &TChunkedFile::toFileTable,
            [this](const v_protocol::TFileTable &table) { emit fileTableReceived(_deviceEntry, table, true); });
        if (rc < 0)
            qWarning() << "Invalid to parse TFileInfo";
        break;
    case TMandatoryFileTypes::InterfaceDefinitionFile:
    case TMandatoryFileTypes::ApplicationFile:
    case TMandatoryFileTypes::DoNotTouchThis7:
    case TMandatoryFileTypes::BootloaderFile:
        _note(QStringLiteral("Warning"),
            QStringLiteral("Unsupported fileType at file receiving: %1").arg(int(first.fileId)));
        return ReturnCode::Ok;
    default: break; // structured reads take file ids 0 ... 8 only
    }
    if (rc < 0)
        _failTask(&task);
    return rc;
}

void VkDevice::_failTask(const DeviceTask *task)
{
    if (!task) {
        emit errorHappend(TrStrings::InternalError, TrStrings::InvalidDeviceTask);
        return;
    }
    const QString warning = QStringLiteral("Warning");
    _note(warning,
        QStringLiteral("Process invalid work with file: type[%1], subtype[%2]")
            .arg(int(task->type))
            .arg(task->subtype));
    switch (task->type) {
    case DeviceTaskType::WriteFile:
        if (task->subtype > int(TMandatoryFileTypes::StateFile)) {
            _note(warning, QStringLiteral("Process invalid work with file: emit invalid rawFileTransmitted"));
            emit rawFileTransmitted(_deviceEntry, uint8_t(task->subtype), false);
        } else {
            _note(warning,
                QStringLiteral("Process invalid work with file: emit invalid fileWithDataElementsTransmitted"));
            emit fileWithDataElementsTransmitted(_deviceEntry, TMandatoryFileTypes(task->subtype), false);
        }
        break;
    case DeviceTaskType::ReadFile:
        switch (TMandatoryFileTypes(task->subtype)) {
        case TMandatoryFileTypes::ApplicationInfoFile:
            _note(warning, QStringLiteral("Process invalid work with file: emit invalid applicationInfoFileReceived"));
            emit applicationInfoFileReceived(_deviceEntry, v_protocol::TApplicationInfoFile(), false);
            break;
        case TMandatoryFileTypes::PersonalizationFile:
        case TMandatoryFileTypes::SettingsFile:
        case TMandatoryFileTypes::StateFile:
            _note(warning, QStringLiteral("Process invalid work with file: emit invalid fileWithDataElementsReceived"));
            emit fileWithDataElementsReceived(_deviceEntry, v_protocol::TFileWithDataElements(), false);
            break;
        case TMandatoryFileTypes::SlaveProfile:
            _note(warning, QStringLiteral("Process invalid work with file: emit invalid slaveProfileReceived"));
            emit slaveProfileReceived(_deviceEntry, v_protocol::TSlaveProfile(), false);
            break;
        case TMandatoryFileTypes::FileInfo:
            _note(warning, QStringLiteral("Process invalid work with file: emit invalid fileTableReceived"));
            emit fileTableReceived(_deviceEntry, v_protocol::TFileTable(), false);
            break;
        default: _note(warning, QStringLiteral("Unsupported fileType at file receiving: %1").arg(task->subtype)); break;
        }
        break;
    case DeviceTaskType::ReadRawFile:
    case DeviceTaskType::ReadRawFileFast:
        _note(warning, QStringLiteral("Process invalid work with file: emit invalid rawFileReceived"));
        emit rawFileReceived(_deviceEntry, uint8_t(task->subtype), QByteArray(), false);
        break;
    case DeviceTaskType::Generic:
    case DeviceTaskType::Authentication:
    case DeviceTaskType::ClearFile:
        _note(warning, QStringLiteral("Unexpected device task type: %1").arg(int(task->type)));
        // The requester of a command, debug, name, clear or authentication request hears back too.
        _reportRequestFailure(*task);
        break;
    }
}

} // namespace device_manager
