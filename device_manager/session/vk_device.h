#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/interface_parameter_flag.h"
#include "device_manager/descriptors/tr_strings.h"
#include "device_manager/session/device_task.h"
#include "return_codes/return_codes.h"
#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_packet.h"
#include "v_protocol/t_slave_profile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>

namespace device_manager {

// The protocol session with one connected device. It authenticates, negotiates the packet size and
// runs device tasks strictly one at a time from a queue: each task sends one request and waits for
// its answer, or runs a whole file transfer, watched by an answer timer. Every task ends in exactly
// one result signal (isValid true for a real result, false for the failure report), so the
// requester always hears back.
//
// Created and owned by the device manager; lives in the manager's thread. Packets leave through
// sendPacket and come back through packetReceived.
class VkDevice : public QObject
{
    Q_OBJECT

public:
    static constexpr int kGenericTaskTimeoutMs = 20000;
    static constexpr int kTaskTimeoutMs = 30000;

    // Answer timer intervals: generic tasks (command, debug and file name requests), and every
    // other task (authentication, file transfers, clearing; restarted by every chunk).
    struct TaskTimeouts
    {
        int genericMs = kGenericTaskTimeoutMs;
        int otherMs = kTaskTimeoutMs;
    };

    // Intervals taken by sessions created from now on (tests shorten them; production keeps the
    // defaults).
    static void setDefaultTaskTimeouts(const TaskTimeouts &timeouts);
    static TaskTimeouts defaultTaskTimeouts();

    VkDevice(QObject *parent, const DeviceDiscoveryInfo &discoveryInfo);
    ~VkDevice() override;

    const DeviceEntry &deviceEntry() const { return _deviceEntry; }
    const DeviceDiscoveryInfo &discoveryInfo() const { return _discoveryInfo; }
    bool isAuthenticated() const { return _isAuthenticated; }
    const v_protocol::TAuthResponse &authResponse() const { return _authResponse; }
    int maximumPacketSize() const { return _maximumPacketSize; }
    int maximumChunkDataSize() const { return _maximumChunkDataSize; }
    // A task's request is out and its answer awaited.
    bool isTaskActive() const { return _isTaskActive; }
    // Tasks waiting behind the active one.
    int queuedTaskCount() const { return int(_tasks.size()); }
    // No task running, finished but not yet cleared away, or waiting.
    bool isIdle() const { return !_isTaskActive && !_currentTask && _tasks.empty(); }

    void setTaskTimeouts(const TaskTimeouts &timeouts) { _timeouts = timeouts; }

    // Operations for the device manager. Each that adds a task appends it to the queue and starts
    // the next task at once when the session is idle.
    ReturnCode authenticate();
    // Structured files 0 ... 8; a state-file read already waiting in the queue is not queued again.
    ReturnCode requestFile(v_protocol::TMandatoryFileTypes fileId);
    ReturnCode requestRawFile(uint8_t fileId, bool fast);
    ReturnCode clearFile(uint8_t fileId);
    // Forced: skipped while a debug request waits in the queue; not forced: only when idle.
    ReturnCode requestDebug(bool forced);
    ReturnCode requestFileName(uint8_t fileId);
    ReturnCode sendCommand(quint16 cmdId, const QByteArray &cmdData);
    ReturnCode sendFileWithDataElements(const v_protocol::TFileWithDataElements &file);
    ReturnCode sendRawFile(uint8_t fileId, const QByteArray &data);
    // The device is gone (its link dropped, or it was disconnected): ends the running task and every
    // queued one with its failure report (isValid false; authentication with authFailed), so every
    // requester hears back. Nothing is sent; the session is idle afterwards.
    void abandonTasks();
    // Adopts a changed descriptor of the session's interface and, when the maximum packet size
    // changed, computes the packet size afresh.
    void onInterfaceParameterChanged(
        const device_manager::DeviceInterfaceInfo &info, device_manager::ChangedInterfaceParameters changed);

signals:
    void sendPacket(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo,
        v_protocol::TPacket packet);
    void authFailed(device_manager::DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse);
    void authSuccess(device_manager::DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse);
    void disconnected(device_manager::DeviceEntry deviceEntry);
    void errorHappend(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
    void debugHappend(QString title, QString text);
    void applicationInfoFileReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TApplicationInfoFile file, bool isValid);
    void slaveProfileReceived(device_manager::DeviceEntry deviceEntry, v_protocol::TSlaveProfile file, bool isValid);
    void fileWithDataElementsReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TFileWithDataElements file, bool isValid);
    void fileWithDataElementsTransmitted(
        device_manager::DeviceEntry deviceEntry, v_protocol::TMandatoryFileTypes fileType, bool isValid);
    void rawFileTransmitted(device_manager::DeviceEntry deviceEntry, uint8_t fileId, bool isValid);
    void fileTableReceived(device_manager::DeviceEntry deviceEntry, v_protocol::TFileTable file, bool isValid);
    void fileNameReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TFileNameResponse fileNameInfo, bool isValid);
    // A percentage of -1: the routine has started and has no figure yet.
    void routineProgressUpdated(
        device_manager::DeviceEntry deviceEntry, device_manager::TrStrings titleIndex, int percentage);
    void rawFileReceived(device_manager::DeviceEntry deviceEntry, uint8_t fileId, QByteArray file, bool isValid);
    void fileClearDone(device_manager::DeviceEntry deviceEntry, uint8_t fileId, bool isValid);
    void debugResponseReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TDebugResponse debugResponse, bool isValid);
    void commandConfirmReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TCommandConfirm commandConfirm, bool isValid);

public slots:
    // One packet from the device's interface. ErrUnknownInterface for a packet from another link.
    ReturnCode packetReceived(device_manager::DeviceInterfaceInfo interfaceInfo, v_protocol::TPacket packet);

private slots:
    void _taskTimeout();
    void _checkTaskRoutine();
    void _onAuthFailed();
    void _sendRoutineProgressUpdated(device_manager::TrStrings titleIndex, int percentage);

private:
    using TaskPointer = std::unique_ptr<DeviceTask>;

    quint32 _nextUid() { return ++_packetCounter; }
    ReturnCode _addTask(TaskPointer task);
    ReturnCode _queueWrite(uint8_t fileId, const QByteArray &data, int alignment);
    void _queueCheckTaskRoutine();
    // Clears the active flag and stops the answer timer.
    void _endActiveTask();
    void _restartTaskTimer();
    void _sendRequest(const v_protocol::TPacket &packet);
    void _note(const QString &title, const QString &text);
    bool _isAnswerToActiveTask(v_protocol::TPayloadType answer) const;
    void _computePacketSize();

    // Answers (packetReceived).
    ReturnCode _onAuthResponse(const v_protocol::TPacket &packet);
    template<typename Answer, typename Emit>
    ReturnCode _onRequestAnswer(
        const v_protocol::TPacket &packet, ReturnCode (v_protocol::TPacket::*decode)(Answer &) const, Emit emitResult);
    ReturnCode _onUnexpectedAnswer(const v_protocol::TPacket &packet);

    // File transfers (vk_device_files.cpp).
    ReturnCode _onFileChunk(const v_protocol::TPacket &packet);
    ReturnCode _onFileChunkAccept(const v_protocol::TPacket &packet);
    ReturnCode _finishRead(const DeviceTask &task);
    ReturnCode _finishStructuredRead(const DeviceTask &task);
    // The failure report of a task ("Process invalid work with file"); errorHappend without a task.
    void _failTask(const DeviceTask *task);
    // The failure report of a request task: authFailed, or the answer's result signal with its
    // default value and isValid false.
    void _reportRequestFailure(const DeviceTask &task);
    // The failure report of any task: _failTask for a transfer, _reportRequestFailure otherwise.
    void _reportTaskFailure(const DeviceTask &task);

    DeviceDiscoveryInfo _discoveryInfo;
    DeviceEntry _deviceEntry;
    quint32 _packetCounter = 0;
    qint32 _maximumPacketSize = -1;
    qint32 _maximumChunkDataSize = -1;
    bool _isAuthenticated = false;
    v_protocol::TAuthResponse _authResponse;
    bool _isTaskActive = false;
    // Nesting of sendPacket emissions. An answer that arrives inside one (a link answering before
    // the write returns) is held and handled once the outermost emission has returned, so a long
    // transfer on such a link does not nest one call per chunk.
    using HeldAnswer = QPair<device_manager::DeviceInterfaceInfo, v_protocol::TPacket>;
    int _sendingDepth = 0;
    bool _handlingHeldAnswers = false;
    QList<HeldAnswer> _heldAnswers;
    TaskPointer _currentTask;
    std::deque<TaskPointer> _tasks;
    QTimer _taskTimer;
    TaskTimeouts _timeouts;
};

} // namespace device_manager
