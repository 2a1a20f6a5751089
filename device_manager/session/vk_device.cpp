#include "device_manager/session/vk_device.h"

#include "v_protocol/requests.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_file_transfer.h"

#include <QDebug>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <iterator>

namespace device_manager {

using v_protocol::TPacket;
using v_protocol::TPayloadType;

namespace {

std::atomic<int> defaultGenericTimeoutMs { VkDevice::kGenericTaskTimeoutMs };
std::atomic<int> defaultOtherTimeoutMs { VkDevice::kTaskTimeoutMs };

// Raw files are written in chunks of a multiple of four bytes; data-element files in any size.
constexpr int kRawFileAlignment = 4;
constexpr int kNoAlignment = 1;

constexpr uint8_t kLastStructuredFileId = uint8_t(v_protocol::TMandatoryFileTypes::FileInfo);

bool isRequestType(TPayloadType type)
{
    switch (type) {
    case TPayloadType::AuthenticationRequest:
    case TPayloadType::FileChunkRequest:
    case TPayloadType::CommandRequest:
    case TPayloadType::DebugRequest:
    case TPayloadType::FileNameRequest:
    case TPayloadType::FileClearRequest: return true;
    default: return false;
    }
}

} // namespace

void VkDevice::setDefaultTaskTimeouts(const TaskTimeouts &timeouts)
{
    defaultGenericTimeoutMs = timeouts.genericMs;
    defaultOtherTimeoutMs = timeouts.otherMs;
}

VkDevice::TaskTimeouts VkDevice::defaultTaskTimeouts()
{
    return { defaultGenericTimeoutMs.load(), defaultOtherTimeoutMs.load() };
}

VkDevice::VkDevice(QObject *parent, const DeviceDiscoveryInfo &discoveryInfo)
    : QObject(parent),
      _discoveryInfo(discoveryInfo),
      _deviceEntry { discoveryInfo.deviceInfo.Serial },
      _taskTimer(this),
      _timeouts(defaultTaskTimeouts())
{
    qDebug() << "Device created: " << _discoveryInfo << "with MTU:" << _discoveryInfo.interfaceInfo.maximumPacketSize;
    _taskTimer.setSingleShot(true);
    _taskTimer.setInterval(_timeouts.otherMs);
    connect(&_taskTimer, &QTimer::timeout, this, &VkDevice::_taskTimeout);
}

VkDevice::~VkDevice()
{
    _taskTimer.stop();
    _currentTask.reset();
    _tasks.clear();
    qDebug() << "Device deleted: " << _deviceEntry;
}

// Operations ------------------------------------------------------------------------------------------

ReturnCode VkDevice::authenticate()
{
    if (_discoveryInfo.deviceInfo.AppType == v_protocol::TAppType::Bootloader)
        qDebug() << "Use connection to bootloader";
    const TPacket request = v_protocol::makeAuthenticationRequest(
        _discoveryInfo.deviceInfo.Pass, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(std::make_unique<DeviceTask>(DeviceTaskType::Authentication, -1, request));
}

ReturnCode VkDevice::requestFile(v_protocol::TMandatoryFileTypes fileId)
{
    const uint8_t id = uint8_t(fileId);
    if (id > kLastStructuredFileId) {
        qWarning() << "Unsupported fileType:" << v_protocol::toText(fileId);
        return return_codes::logIfError(ReturnCode::ErrArgumentUnsupportedValue);
    }
    if (fileId == v_protocol::TMandatoryFileTypes::StateFile) {
        for (const TaskPointer &task : _tasks) {
            if (task->type == DeviceTaskType::ReadFile && task->subtype == id)
                return ReturnCode::Ok; // the waiting read brings the newest state anyway
        }
    }
    const TPacket request = v_protocol::makeChunkRequest(v_protocol::TFileTransfer::openingRequest(id), _nextUid(),
        quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(std::make_unique<DeviceTask>(DeviceTaskType::ReadFile, id, request));
}

ReturnCode VkDevice::requestRawFile(uint8_t fileId, bool fast)
{
    qDebug() << "Read RAW file";
    if (fast)
        qDebug() << ">>>>>>>>>>>>>>>>>>>>>> Received task for fast reading <<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<";
    const v_protocol::TChunkRequest opening = v_protocol::TFileTransfer::openingRequest(fileId);
    const TPacket request
        = v_protocol::makeChunkRequest(opening, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    auto task = std::make_unique<DeviceTask>(
        fast ? DeviceTaskType::ReadRawFileFast : DeviceTaskType::ReadRawFile, fileId, request);
    task->window = opening;
    return _addTask(std::move(task));
}

ReturnCode VkDevice::clearFile(uint8_t fileId)
{
    qDebug() << "Clear file for fileId " << int(fileId);
    const TPacket request
        = v_protocol::makeFileClearRequest(fileId, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(std::make_unique<DeviceTask>(DeviceTaskType::ClearFile, -1, request));
}

ReturnCode VkDevice::requestDebug(bool forced)
{
    const qint32 debugType = qint32(TPayloadType::DebugRequest);
    if (forced) {
        for (const TaskPointer &task : _tasks) {
            if (task->type == DeviceTaskType::Generic && task->subtype == debugType)
                return ReturnCode::Ok;
        }
    } else if (!isIdle()) {
        return ReturnCode::Ok; // polling only while nothing else is going on
    }
    const TPacket request
        = v_protocol::makeDebugRequest(_nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(std::make_unique<DeviceTask>(DeviceTaskType::Generic, debugType, request));
}

ReturnCode VkDevice::requestFileName(uint8_t fileId)
{
    const TPacket request
        = v_protocol::makeFileNameRequest(fileId, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(
        std::make_unique<DeviceTask>(DeviceTaskType::Generic, qint32(TPayloadType::FileNameRequest), request));
}

ReturnCode VkDevice::sendCommand(quint16 cmdId, const QByteArray &cmdData)
{
    const TPacket request = v_protocol::makeCommandRequest(
        cmdId, cmdData, _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(
        std::make_unique<DeviceTask>(DeviceTaskType::Generic, qint32(TPayloadType::CommandRequest), request));
}

ReturnCode VkDevice::sendFileWithDataElements(const v_protocol::TFileWithDataElements &file)
{
    if (file.elements.isEmpty())
        return return_codes::logIfError(ReturnCode::ErrArgumentBadValue);
    return _queueWrite(file.fileId, file.toByteArray(), kNoAlignment);
}

ReturnCode VkDevice::sendRawFile(uint8_t fileId, const QByteArray &data)
{
    if (data.isEmpty())
        return return_codes::logIfError(ReturnCode::ErrArgumentBadValue);
    return _queueWrite(fileId, data, kRawFileAlignment);
}

ReturnCode VkDevice::_queueWrite(uint8_t fileId, const QByteArray &data, int alignment)
{
    auto task = std::make_unique<DeviceTask>(DeviceTaskType::WriteFile, fileId, TPacket());
    const ReturnCode rc
        = v_protocol::TFileTransfer::splitForWrite(fileId, data, _maximumChunkDataSize, alignment, task->chunks);
    if (rc < 0) {
        // The data is not empty, so no usable chunk size is known (not authenticated, or the device
        // announced a packet too small for any file data): refuse, and tell the requester at once.
        qWarning() << "Unable to write file" << int(fileId) << "with maximumChunkDataSize" << _maximumChunkDataSize;
        _failTask(task.get());
        return rc;
    }
    task->request = v_protocol::makeChunkPacket(
        task->chunks.takeFirst(), _nextUid(), quint32(_deviceEntry.serial), v_protocol::kMasterUid);
    return _addTask(std::move(task));
}

void VkDevice::onInterfaceParameterChanged(const DeviceInterfaceInfo &info, ChangedInterfaceParameters changed)
{
    if (info != _discoveryInfo.interfaceInfo)
        return; // another link's change
    _discoveryInfo.interfaceInfo = info;
    if (changed.testFlag(InterfaceParameterFlag::MaximumPacketSize))
        _computePacketSize();
}

ReturnCode VkDevice::_addTask(TaskPointer task)
{
    _tasks.push_back(std::move(task));
    _checkTaskRoutine();
    return ReturnCode::Ok;
}

// Task queue -------------------------------------------------------------------------------------------

void VkDevice::_checkTaskRoutine()
{
    if (_isTaskActive)
        return;
    if (_tasks.empty()) {
        _taskTimer.stop();
        _currentTask.reset();
        return;
    }
    _currentTask = std::move(_tasks.front());
    _tasks.pop_front();

    // Active before the request leaves, so that an answer delivered at once finds its task.
    _isTaskActive = true;
    _taskTimer.start(_currentTask->type == DeviceTaskType::Generic ? _timeouts.genericMs : _timeouts.otherMs);
    _sendRequest(_currentTask->request);
    if (_currentTask && _currentTask->type == DeviceTaskType::WriteFile)
        _sendRoutineProgressUpdated(TrStrings::TransferringFile, -1);
    else if (_currentTask && _currentTask->isRead())
        _sendRoutineProgressUpdated(TrStrings::ReadingFile, -1);
}

void VkDevice::abandonTasks()
{
    std::deque<TaskPointer> abandoned;
    // A current task that is no longer active has had its result already.
    if (_currentTask && _isTaskActive)
        abandoned.push_back(std::move(_currentTask));
    _currentTask.reset();
    _endActiveTask();
    std::move(_tasks.begin(), _tasks.end(), std::back_inserter(abandoned));
    _tasks.clear();
    for (const TaskPointer &task : abandoned)
        _reportTaskFailure(*task);
}

void VkDevice::_queueCheckTaskRoutine()
{
    const bool queued = QMetaObject::invokeMethod(
        this, [this]() { this->_checkTaskRoutine(); }, Qt::QueuedConnection);
    if (!queued) {
        qDebug() << "invalid invokeMethod: "
                 << "QMetaObject::invokeMethod( this, [this]() { this->_checkTaskRoutine(); }, Qt::QueuedConnection)";
    }
}

void VkDevice::_endActiveTask()
{
    _isTaskActive = false;
    _taskTimer.stop();
}

void VkDevice::_restartTaskTimer()
{
    _taskTimer.start(_timeouts.otherMs);
}

void VkDevice::_sendRequest(const TPacket &packet)
{
    const TPacket request = packet; // the task holding `packet` may end inside the emission
    ++_sendingDepth;
    emit sendPacket(_deviceEntry, _discoveryInfo.interfaceInfo, request);
    --_sendingDepth;
    if (_sendingDepth > 0 || _handlingHeldAnswers)
        return;
    // Answers that came inside the emission are handled here, one after the other: a request they
    // lead to adds its own answers to the list instead of nesting deeper.
    const QPointer<VkDevice> self(this);
    _handlingHeldAnswers = true;
    while (!_heldAnswers.isEmpty()) {
        const HeldAnswer answer = _heldAnswers.takeFirst();
        static_cast<void>(packetReceived(answer.first, answer.second)); // as a link ignores it
        if (!self)
            return;
    }
    _handlingHeldAnswers = false;
}

void VkDevice::_note(const QString &title, const QString &text)
{
    emit debugHappend(title, text);
}

bool VkDevice::_isAnswerToActiveTask(TPayloadType answer) const
{
    return _isTaskActive && _currentTask && _currentTask->expects(answer);
}

void VkDevice::_taskTimeout()
{
    qWarning() << "Current task is timeout!";
    const bool wasActive = _isTaskActive;
    if (!wasActive)
        qWarning() << "Strange - no active task!";
    _isTaskActive = false;

    // A task that is no longer active has had its result already.
    if (_currentTask && wasActive) {
        if (_currentTask->request.payloadType == TPayloadType::AuthenticationRequest)
            qWarning() << _deviceEntry << " AuthenticationRequest timeout:" << _currentTask->request;
        _reportTaskFailure(*_currentTask);
    }
    _endActiveTask();
    _queueCheckTaskRoutine();
}

void VkDevice::_onAuthFailed()
{
    emit authFailed(_deviceEntry, _authResponse);
}

void VkDevice::_sendRoutineProgressUpdated(TrStrings titleIndex, int percentage)
{
    if (!_currentTask || !_currentTask->isTransfer())
        return;
    if (_currentTask->type == DeviceTaskType::ReadFile) {
        using v_protocol::TMandatoryFileTypes;
        switch (TMandatoryFileTypes(_currentTask->subtype)) {
        case TMandatoryFileTypes::SlaveProfile:
        case TMandatoryFileTypes::PersonalizationFile:
        case TMandatoryFileTypes::SettingsFile:
        case TMandatoryFileTypes::FileInfo:
        case TMandatoryFileTypes::ApplicationFile:
        case TMandatoryFileTypes::BootloaderFile: break;
        default: return; // the application info and state files are read silently
        }
    }
    emit routineProgressUpdated(_deviceEntry, titleIndex, percentage);
}

// Received packets -------------------------------------------------------------------------------------

ReturnCode VkDevice::packetReceived(DeviceInterfaceInfo interfaceInfo, TPacket packet)
{
    if (interfaceInfo != _discoveryInfo.interfaceInfo)
        return return_codes::logIfError(ReturnCode::ErrUnknownInterface);
    if (_sendingDepth > 0) {
        _heldAnswers.append({ interfaceInfo, packet });
        return ReturnCode::Ok;
    }

    ReturnCode rc = ReturnCode::Ok;
    switch (packet.payloadType) {
    case TPayloadType::SlavePresenceBroadcast:
        qDebug() << _deviceEntry << " Received Broadcast packet! So device is not active...";
        break;
    case TPayloadType::AuthenticationResponse: rc = _onAuthResponse(packet); break;
    case TPayloadType::FileChunk: rc = _onFileChunk(packet); break;
    case TPayloadType::FileChunkAccept: rc = _onFileChunkAccept(packet); break;
    case TPayloadType::CommandConfirmation:
        rc = _onRequestAnswer(packet, &TPacket::toCommandConfirm, [this](const v_protocol::TCommandConfirm &answer) {
            emit commandConfirmReceived(_deviceEntry, answer, true);
        });
        break;
    case TPayloadType::DebugResponse:
        rc = _onRequestAnswer(packet, &TPacket::toDebugResponse, [this](const v_protocol::TDebugResponse &answer) {
            emit debugResponseReceived(_deviceEntry, answer, true);
        });
        break;
    case TPayloadType::FileNameResponse:
        rc = _onRequestAnswer(packet, &TPacket::toFileNameResponse,
            [this](const v_protocol::TFileNameResponse &answer) { emit fileNameReceived(_deviceEntry, answer, true); });
        break;
    case TPayloadType::FileClearResponse:
        rc = _onRequestAnswer(
            packet, &TPacket::toFileClearResponse, [this](const v_protocol::TFileClearResponse &answer) {
                emit fileClearDone(_deviceEntry, answer.fileId, true);
            });
        break;
    case TPayloadType::Lockout:
        qDebug() << _deviceEntry << " Received Lockout packet:" << packet;
        _authResponse.authResult = v_protocol::TAuthResult::TooMany;
        emit authSuccess(_deviceEntry, _authResponse); // listeners read the result field
        break;
    case TPayloadType::NoData: qWarning() << _deviceEntry << " Received unknown packet: " << packet; break;
    default:
        if (isRequestType(packet.payloadType))
            qWarning() << _deviceEntry << "Received unsupported requestType packet:" << packet;
        break;
    }
    _queueCheckTaskRoutine();
    return rc;
}

ReturnCode VkDevice::_onUnexpectedAnswer(const TPacket &packet)
{
    // A late answer to a task that has already ended (its timeout reported it), or an answer of the
    // wrong kind: it must neither end the active task without a result nor give a second result.
    qDebug() << _deviceEntry << " Received unexpected answer packet:" << packet;
    return ReturnCode::WarnUnexpectedValue;
}

template<typename Answer, typename Emit>
ReturnCode VkDevice::_onRequestAnswer(
    const TPacket &packet, ReturnCode (TPacket::*decode)(Answer &) const, Emit emitResult)
{
    if (!_isAnswerToActiveTask(packet.payloadType))
        return _onUnexpectedAnswer(packet);
    _endActiveTask();
    Answer answer;
    const ReturnCode rc = (packet.*decode)(answer);
    if (rc < 0) {
        _reportRequestFailure(*_currentTask);
        return rc;
    }
    emitResult(answer);
    return ReturnCode::Ok;
}

ReturnCode VkDevice::_onAuthResponse(const TPacket &packet)
{
    if (!_isAnswerToActiveTask(packet.payloadType))
        return _onUnexpectedAnswer(packet);
    _authResponse = v_protocol::TAuthResponse();
    const ReturnCode rc = packet.toAuthResponse(_authResponse);
    _endActiveTask();
    if (rc < 0) {
        qDebug() << "Unable to parse AuthResponse!";
        _onAuthFailed();
        return rc;
    }
    if (!_authResponse.isGranted()) {
        qDebug() << "Access denied!";
        _onAuthFailed();
        return return_codes::logIfError(ReturnCode::ErrAccessDenied);
    }
    _isAuthenticated = true;
    _computePacketSize();
    emit authSuccess(_deviceEntry, _authResponse);
    return ReturnCode::Ok;
}

void VkDevice::_computePacketSize()
{
    if (!_isAuthenticated)
        return;
    const int m = _discoveryInfo.interfaceInfo.maximumPacketSize;
    const int d = _authResponse.maxPacketSize;
    const int size = v_protocol::negotiatedPacketSize(m, d);
    _maximumPacketSize = size;
    _maximumChunkDataSize = size - v_protocol::kChunkPacketOverhead;
    qDebug().nospace() << "Device[" << _deviceEntry << "], maximumPacketSizeFromAuth[" << d << "], interfaceMTU[" << m
                       << "] - so maximumPacketSize: " << size << ", maximumChunkDataSize:" << _maximumChunkDataSize;
}

void VkDevice::_reportTaskFailure(const DeviceTask &task)
{
    if (task.isTransfer())
        _failTask(&task);
    else
        _reportRequestFailure(task);
}

void VkDevice::_reportRequestFailure(const DeviceTask &task)
{
    switch (task.request.payloadType) {
    case TPayloadType::AuthenticationRequest: _onAuthFailed(); break;
    case TPayloadType::CommandRequest:
        emit commandConfirmReceived(_deviceEntry, v_protocol::TCommandConfirm(), false);
        break;
    case TPayloadType::DebugRequest:
        emit debugResponseReceived(_deviceEntry, v_protocol::TDebugResponse(), false);
        break;
    case TPayloadType::FileNameRequest:
        emit fileNameReceived(_deviceEntry, v_protocol::TFileNameResponse(), false);
        break;
    case TPayloadType::FileClearRequest: emit fileClearDone(_deviceEntry, 0, false); break;
    default: break;
    }
}

} // namespace device_manager
