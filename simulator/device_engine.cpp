#include "simulator/device_engine.h"

#include "simulator/firmware_image.h"
#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_transfer.h"

#include <QDateTime>
#include <QtEndian>

namespace simulator {

using namespace v_protocol;

namespace {

QByteArray accept(TSystemFileResult status)
{
    TChunkAccept answer;
    answer.status = status;
    return answer.toPayload();
}

QByteArray confirm(quint16 cmdId, TCommandResult result)
{
    TCommandConfirm answer;
    answer.cmdId = cmdId;
    answer.cmdRes = result;
    return answer.toPayload();
}

QByteArray debugResponse(const QByteArray &text)
{
    TDebugResponse answer;
    answer.dataSize = quint16(text.size());
    answer.debugData = text;
    return answer.toPayload();
}

bool isFirmwareImage(quint8 fileId)
{
    return fileId == quint8(TMandatoryFileTypes::ApplicationFile)
        || fileId == quint8(TMandatoryFileTypes::BootloaderFile);
}

} // namespace

DeviceEngine::DeviceEngine(const DeviceDefinition &definition)
    : _definition(definition),
      _applicationFiles(definition.application, definition.modelId, definition.hardwareVersion),
      _bootloaderFiles(definition.bootloader, definition.modelId, definition.hardwareVersion),
      _inBootloader(definition.startsInBootloader),
      _applicationValid(!definition.startsInBootloader),
      _link(definition.link)
{
    restartInto(_inBootloader);
}

DeviceFileSystem &DeviceEngine::files()
{
    return _inBootloader ? _bootloaderFiles : _applicationFiles;
}

const DeviceFileSystem &DeviceEngine::files() const
{
    return _inBootloader ? _bootloaderFiles : _applicationFiles;
}

const FirmwareDefinition &DeviceEngine::runningFirmware() const
{
    return files().firmware();
}

TFirmwareVersion DeviceEngine::firmwareVersion() const
{
    return files().version();
}

SimulatedAdvertisement DeviceEngine::advertisement() const
{
    return _definition.advertisement(runningFirmware(), firmwareVersion());
}

int DeviceEngine::answerPacketSize() const
{
    return qMin(int(runningFirmware().maxPacketSize), _link.packetCapacity());
}

QByteArray DeviceEngine::fileImage(quint8 fileId) const
{
    return files().image(fileId);
}

bool DeviceEngine::setValue(quint16 elementId, const QByteArray &value)
{
    return files().setValue(elementId, value);
}

QByteArray DeviceEngine::value(quint16 elementId) const
{
    return files().value(elementId);
}

QString DeviceEngine::logPrefix() const
{
    return QStringLiteral("Simulated device %1 [%2]: ").arg(_definition.id).arg(_definition.serial);
}

void DeviceEngine::setFailure(const FailureInjection &failure)
{
    _failure = failure;
    _failureMatches = 0;
}

void DeviceEngine::endSession()
{
    _access = AccessLevel::None;
    _write = Write();
    _readSnapshots.clear();
}

void DeviceEngine::connectLink()
{
    _linkUp = true;
    endSession();
}

void DeviceEngine::dropLink()
{
    _linkUp = false;
    endSession();
}

void DeviceEngine::powerCycle()
{
    dropLink();
    _failedAuthentications = 0;
    restartInto(!_applicationValid);
}

void DeviceEngine::restartInto(bool bootloader)
{
    _inBootloader = bootloader;
    endSession();
    _debug.setScript(runningFirmware().debug);
    _debug.boot();
    qDebug().noquote() << logPrefix()
            + QStringLiteral("runs %1 %2.%3")
                  .arg(runningFirmware().name)
                  .arg(firmwareVersion().Major)
                  .arg(firmwareVersion().Minor);
}

QByteArray DeviceEngine::presenceBroadcast()
{
    const QByteArray payload
        = QByteArray(1, char(TPayloadType::SlavePresenceBroadcast)) + advertisement().manufacturerData;
    const QByteArray bytes = TPacket::makeResponse(payload, ++_broadcasts, _definition.serial, 0).toByteArray();
    ++_counters.packetsSent;
    _counters.bytesSent += bytes.size();
    return bytes;
}

ReplyItems DeviceEngine::handleBytes(const QByteArray &bytes)
{
    ++_counters.packetsReceived;
    _counters.bytesReceived += bytes.size();
    if (!_linkUp) {
        ++_counters.ignoredPackets;
        return {};
    }
    TPacket request;
    if (TPacket::fromByteArray(bytes, request) != ReturnCode::Ok) {
        ++_counters.malformedPackets;
        return {};
    }
    if (request.type != TPacketType::Request || request.slaveSerial != _definition.serial) {
        ++_counters.ignoredPackets;
        return {};
    }
    ++_counters.requestsByType[quint8(request.payloadType)];
    if (bytes.size() > runningFirmware().maxPacketSize)
        ++_counters.oversizedPackets;

    const bool hit
        = _failure.isActive() && _failure.targets(request.payloadType) && _failure.hitsMatch(++_failureMatches);
    if (hit)
        ++_counters.failuresInjected;
    QList<QByteArray> payloads;
    if (!hit || !replaceAnswer(request, payloads))
        payloads = answer(request);

    QList<TPacket> packets;
    for (const QByteArray &payload : std::as_const(payloads))
        packets.append(TPacket::makeResponse(payload, request.uid, _definition.serial, request.masterUid));
    if (hit)
        packets = _failure.reshapePackets(packets);
    return toItems(packets, hit);
}

bool DeviceEngine::replaceAnswer(const TPacket &request, QList<QByteArray> &payloads)
{
    TSystemFileResult status;
    if (_failure.mode == FailureMode::NoAnswer) {
        payloads.clear();
        return true;
    }
    if (acceptStatusOf(_failure.mode, status)) {
        _write = Write();
        payloads = { accept(status) };
        return true;
    }
    if (_failure.mode == FailureMode::BusyAuthentication
        && request.payloadType == TPayloadType::AuthenticationRequest) {
        _access = AccessLevel::None;
        payloads = { authResponse(TAuthResult::Busy).toPayload() };
        return true;
    }
    return false;
}

qint64 DeviceEngine::delayOf(int index, bool hit) const
{
    qint64 delay = _linkTiming ? _link.replyDelayUs(index) : 0;
    if (hit && _failure.mode == FailureMode::VerySlowAnswer)
        delay += _failure.delayUs;
    return delay;
}

ReplyItems DeviceEngine::toItems(const QList<TPacket> &packets, bool hit)
{
    const bool drop = hit && _failure.mode == FailureMode::DisconnectMidTransfer;
    const int sent = drop ? int(packets.size() / 2) : int(packets.size());
    ReplyItems items;
    for (int i = 0; i < sent; ++i) {
        QByteArray bytes = packets.at(i).toByteArray();
        if (hit)
            bytes = _failure.reshapeBytes(bytes);
        items.append({ ReplyItem::Kind::Packet, bytes, delayOf(i, hit) });
        ++_counters.packetsSent;
        _counters.bytesSent += bytes.size();
    }
    if (_linkTiming && sent > 0)
        _counters.linkTimeUs += _link.requestDelayUs() + _link.replyDelayUs(sent - 1);
    if (drop) {
        items.append({ ReplyItem::Kind::LinkDrop, QByteArray(), delayOf(qMax(sent - 1, 0), hit) });
        ++_counters.linkDrops;
        qDebug().noquote() << logPrefix() + QStringLiteral("drops the link");
        dropLink();
    }
    return items;
}

QList<QByteArray> DeviceEngine::answer(const TPacket &request)
{
    if (request.payloadType == TPayloadType::AuthenticationRequest)
        return { answerAuthentication(request) };
    if (_access == AccessLevel::None)
        return refusal(request);
    switch (request.payloadType) {
    case TPayloadType::FileChunkRequest: return answerChunkRequest(request);
    case TPayloadType::FileChunk: return { answerWrittenChunk(request) };
    case TPayloadType::CommandRequest: return { answerCommand(request) };
    case TPayloadType::DebugRequest: return { answerDebug() };
    case TPayloadType::FileNameRequest: return { answerFileName(request) };
    case TPayloadType::FileClearRequest: return { answerFileClear(request) };
    default: return {}; // not a request this device answers
    }
}

QList<QByteArray> DeviceEngine::refusal(const TPacket &request) const
{
    switch (request.payloadType) {
    case TPayloadType::FileChunkRequest:
    case TPayloadType::FileChunk:
    case TPayloadType::FileNameRequest:
    case TPayloadType::FileClearRequest: return { accept(TSystemFileResult::FileResultOperationNotAllowed) };
    case TPayloadType::CommandRequest: {
        TCommandRequest command;
        request.toCommandRequest(command);
        return { confirm(command.cmdId, TCommandResult::Error) };
    }
    case TPayloadType::DebugRequest: return { debugResponse(QByteArray()) };
    default: return {};
    }
}

TAuthResponse DeviceEngine::authResponse(TAuthResult result) const
{
    TAuthResponse response;
    response.appType = appType();
    response.authResult = result;
    response.maxPacketSize = runningFirmware().maxPacketSize;
    return response;
}

QByteArray DeviceEngine::answerAuthentication(const TPacket &request)
{
    TAuthRequest auth;
    _access = AccessLevel::None;
    if (request.toAuthRequest(auth) != ReturnCode::Ok)
        return authResponse(TAuthResult::Error).toPayload();
    if (_failedAuthentications >= _definition.maxAuthFailures)
        return authResponse(TAuthResult::TooMany).toPayload();
    if (auth.password == TAuthRequest::fromPassword(_definition.rootPassword).password)
        _access = AccessLevel::Root;
    else if (!_definition.userPassword.isEmpty()
        && auth.password == TAuthRequest::fromPassword(_definition.userPassword).password)
        _access = AccessLevel::User;
    if (_access == AccessLevel::None) {
        ++_failedAuthentications;
        return authResponse(TAuthResult::Denied).toPayload();
    }
    _failedAuthentications = 0;
    return authResponse(_access == AccessLevel::Root ? TAuthResult::SuccessRoot : TAuthResult::SuccessUser).toPayload();
}

QList<QByteArray> DeviceEngine::answerChunkRequest(const TPacket &request)
{
    TChunkRequest wanted;
    if (request.toChunkRequest(wanted) != ReturnCode::Ok)
        return { accept(TSystemFileResult::FileResultUnknownError) };
    const TSystemFileResult allowed = files().checkRead(wanted.fileId, _access);
    if (allowed != TSystemFileResult::FileResultSuccess)
        return { accept(allowed) };
    const int chunkSize = answerPacketSize() - kChunkPacketOverhead;
    if (chunkSize <= 0)
        return { accept(TSystemFileResult::FileResultOutOfMemory) };

    // A read is served from the image as it was when the read began, so that values changing in
    // the meantime cannot tear it.
    if (wanted.addr == 0 || !_readSnapshots.contains(wanted.fileId)) {
        if (wanted.fileId == quint8(TMandatoryFileTypes::StateFile))
            files().advanceDrift();
        _readSnapshots.insert(wanted.fileId, files().image(wanted.fileId));
    }
    QList<TChunk> chunks;
    if (TFileTransfer::answerRequest(_readSnapshots.value(wanted.fileId), wanted, chunkSize, chunks) != ReturnCode::Ok)
        return { accept(TSystemFileResult::FileResultOperationNotAllowed) };
    QList<QByteArray> payloads;
    for (const TChunk &chunk : std::as_const(chunks))
        payloads.append(chunk.toPayload());
    return payloads;
}

TSystemFileResult DeviceEngine::checkWriteStart(const TChunk &chunk) const
{
    if (isFirmwareImage(chunk.fileId) && !_inBootloader)
        return TSystemFileResult::FileResultOperationNotAllowed; // firmware goes through the bootloader
    return files().checkWrite(chunk.fileId, chunk.fileSize, _access);
}

QByteArray DeviceEngine::answerWrittenChunk(const TPacket &request)
{
    TChunk chunk;
    if (request.toChunk(chunk) != ReturnCode::Ok) {
        _write = Write();
        return accept(TSystemFileResult::FileResultUnknownError);
    }
    if (chunk.addr == 0) {
        _write = Write();
        const TSystemFileResult allowed = checkWriteStart(chunk);
        if (allowed != TSystemFileResult::FileResultSuccess)
            return accept(allowed);
        _write.active = true;
        _write.fileId = chunk.fileId;
        _write.fileSize = chunk.fileSize;
    } else if (!_write.active || chunk.fileId != _write.fileId || chunk.fileSize != _write.fileSize) {
        _write = Write();
        return accept(TSystemFileResult::FileResultOperationNotAllowed);
    }
    const TSystemFileResult status
        = TFileTransfer::acceptWrittenChunk(chunk, quint64(_write.data.size()), files().file(chunk.fileId)->maxSize);
    if (status != TSystemFileResult::FileResultSuccess) {
        _write = Write();
        return accept(status);
    }
    _write.data += chunk.data;
    if (quint64(_write.data.size()) < _write.fileSize)
        return accept(TSystemFileResult::FileResultSuccess);

    const Write done = _write;
    _write = Write();
    _readSnapshots.remove(done.fileId);
    return accept(commitWrite(done.fileId, done.data));
}

TSystemFileResult DeviceEngine::commitWrite(quint8 fileId, const QByteArray &data)
{
    if (isFirmwareImage(fileId))
        return installImage(fileId, data);
    const TSystemFileResult status = files().storeWritten(fileId, data, _access);
    if (status == TSystemFileResult::FileResultSuccess)
        _counters.record(QStringLiteral("file %1 written").arg(fileId));
    _debug.append(status == TSystemFileResult::FileResultSuccess
            ? QStringLiteral("File %1 (%2) saved, %3 bytes\n").arg(fileId).arg(files().name(fileId)).arg(data.size())
            : QStringLiteral("File %1 refused: %2\n").arg(fileId).arg(toText(status)));
    return status;
}

TSystemFileResult DeviceEngine::installImage(quint8 fileId, const QByteArray &upload)
{
    QByteArray image;
    if (!FirmwareImage::splitCrc(upload, image)) {
        _debug.append(QStringLiteral("Image CRC error, file %1 rejected\n").arg(fileId));
        qDebug().noquote() << logPrefix() + QStringLiteral("refuses image %1: CRC-32 mismatch").arg(fileId);
        return TSystemFileResult::FileResultCrcError;
    }
    DeviceFileSystem &target
        = fileId == quint8(TMandatoryFileTypes::ApplicationFile) ? _applicationFiles : _bootloaderFiles;
    TFirmwareVersion version;
    if (!FirmwareImage::versionOf(image, version))
        version = FirmwareImage::nextVersion(target.version());
    target.setVersion(version);
    _debug.append(QStringLiteral("Image %1 installed: version %2.%3, %4 bytes\n")
                      .arg(fileId)
                      .arg(version.Major)
                      .arg(version.Minor)
                      .arg(image.size()));
    if (fileId == quint8(TMandatoryFileTypes::ApplicationFile)) {
        _installedImage = image;
        _applicationValid = true;
        restartInto(false);
    }
    return TSystemFileResult::FileResultSuccess;
}

QByteArray DeviceEngine::answerCommand(const TPacket &request)
{
    TCommandRequest command;
    if (request.toCommandRequest(command) != ReturnCode::Ok)
        return confirm(0, TCommandResult::Error);
    const TCommandResult result = runCommand(command);
    _counters.record(QStringLiteral("command %1").arg(command.cmdId));
    const QByteArray payload = confirm(command.cmdId, result);
    if (result == TCommandResult::Success && command.cmdId == kRestartIntoBootloaderCommand && !_inBootloader) {
        qDebug().noquote() << logPrefix() + QStringLiteral("restarts into its bootloader");
        restartInto(true);
    }
    return payload;
}

TCommandResult DeviceEngine::runCommand(const TCommandRequest &command)
{
    const CommandDefinition *defined = runningFirmware().command(command.cmdId);
    TCommandResult result = TCommandResult::Unknown;
    switch (command.cmdId) {
    case kTimeSynchronizationCommand:
        result = command.cmdData.size() == 4 ? TCommandResult::Success : TCommandResult::Error;
        if (result == TCommandResult::Success) {
            const quint32 seconds = qFromLittleEndian<quint32>(command.cmdData.constData());
            files().setClock(seconds);
            _debug.append(QStringLiteral("Clock set to %1\n")
                              .arg(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate)));
        }
        break;
    case kRestartIntoBootloaderCommand:
    case kApplySettingsCommand: result = TCommandResult::Success; break;
    default: {
        const ProfileEntry *entry = runningFirmware().profileEntry(command.cmdId);
        const bool isCommand = entry
            && (entry->element.type == TSlaveProfile::Types::SlaveCommand
                || entry->element.type == TSlaveProfile::Types::AppCommands);
        if (isCommand) {
            result = TCommandResult::Success;
            if (!defined)
                _debug.append(QStringLiteral("%1: done\n").arg(entry->element.nameEn));
        }
        break;
    }
    }
    if (!defined)
        return result;
    _debug.append(defined->debug);
    if (defined->result == TCommandResult::Success) {
        for (const ValueAssignment &assignment : defined->assignments)
            files().setValue(assignment.elementId, assignment.value);
    }
    return defined->result;
}

QByteArray DeviceEngine::answerDebug()
{
    const int room = answerPacketSize() - kPacketFramingSize - TDebugResponse::kHeaderSize;
    return debugResponse(_debug.take(room));
}

QByteArray DeviceEngine::answerFileName(const TPacket &request)
{
    quint8 fileId = 0;
    if (request.toFileNameRequest(fileId) != ReturnCode::Ok)
        return accept(TSystemFileResult::FileResultUnknownError);
    if (!files().file(fileId))
        return accept(TSystemFileResult::UnknownFileIdentifier);
    TFileNameResponse answer;
    answer.fileId = fileId;
    answer.fileName = files().name(fileId);
    return answer.toPayload();
}

QByteArray DeviceEngine::answerFileClear(const TPacket &request)
{
    quint8 fileId = 0;
    if (request.toFileClearRequest(fileId) != ReturnCode::Ok)
        return accept(TSystemFileResult::FileResultUnknownError);
    const TSystemFileResult status = files().clear(fileId, _access);
    if (status != TSystemFileResult::FileResultSuccess)
        return accept(status);
    if (_write.fileId == fileId)
        _write = Write();
    _readSnapshots.remove(fileId);
    _debug.append(QStringLiteral("File %1 (%2) cleared\n").arg(fileId).arg(files().name(fileId)));
    TFileClearResponse answer;
    answer.fileId = fileId;
    return answer.toPayload();
}

} // namespace simulator
