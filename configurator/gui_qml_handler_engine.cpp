// The task engine of the application core: one job at a time, each bounded by its timer.
#include "configurator/application_task.h"
#include "configurator/gui_qml_handler.h"
#include "configurator/task_catalogue.h"
#include "event_core/module_host.h"

#include <QDebug>

namespace configurator {

namespace dm = event_topics::device_manager;

namespace {

// A job leaves the engine: its timer is stopped and it reports nothing more. It is deleted from the
// event loop, since it may be the sender of the signal being handled.
void discardTask(utils::ApplicationTask *task, QObject *receiver)
{
    task->stop();
    QObject::disconnect(task, nullptr, receiver, nullptr);
    task->deleteLater();
}

} // namespace

void GuiQmlHandler::_appendTask(TAppTaskType type, QVariantList extraArgs, bool prepend)
{
    utils::ApplicationTask *task = makeApplicationTask(type, this);
    if (!task) {
        qCritical() << "Internal error! Application task is empty!";
        return;
    }
    task->setExtraArgs(extraArgs);
    if (prepend)
        _taskQueue.prepend(task);
    else
        _taskQueue.append(task);
}

void GuiQmlHandler::_checkAndStartTaskRoutine()
{
    if (!QMetaObject::invokeMethod(
            this, [this]() { this->_checkTaskRoutine(); }, Qt::QueuedConnection))
        event_core::logInvalidInvoke(
            "QMetaObject::invokeMethod( this, [this]() { this->_checkTaskRoutine(); }, Qt::QueuedConnection)");
}

void GuiQmlHandler::_passCurrentTask()
{
    _taskInProgress = false;
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::_checkTaskRoutine()
{
    if (_taskInProgress)
        return;
    const bool wasIdle = !_currentTask;
    if (_currentTask) {
        _taskCompleted(_currentTask->type());
        discardTask(_currentTask, this);
        _currentTask = nullptr;
    }
    if (_taskQueue.isEmpty()) {
        emit appCoreBusy(false);
        return;
    }
    // A chain that starts from idle is a new piece of work: its failures are shown anew.
    if (wasIdle)
        _dialogShownInWork = false;
    _currentTask = _taskQueue.takeFirst();
    const auto type = TAppTaskType(_currentTask->type());
    if (_currentTask->passImmediately()) {
        _taskInProgress = true;
        _processTask(type);
        _passCurrentTask();
        return;
    }
    if (!_currentTask->isSilent()) {
        emit appCoreBusy(true);
        emit appCoreBusyText(_currentTask->waitingMessage());
    }
    connect(_currentTask, &utils::ApplicationTask::timeout, this, &GuiQmlHandler::_taskTimeout);
    _currentTask->start();
    _taskInProgress = true;
    _processTask(type);
}

void GuiQmlHandler::_allTaskDone()
{
    emit appCoreBusy(false);
}

void GuiQmlHandler::_taskTimeout(QString message)
{
    if (!_currentTask) {
        qDebug() << "Unexpected case with task:" << message;
        return;
    }
    _taskCompleted(_currentTask->type());
    if (_currentTask->timeoutIsNormal()) {
        qDebug() << "Task timeouted - valid case. Skip task " << taskTypeName(_currentTask->type());
        _passCurrentTask();
        return;
    }
    if (_currentTask->isSilent()) {
        qDebug() << "Timeout fo silent app task: " << taskTypeName(_currentTask->type());
        _passCurrentTask();
        return;
    }
    // The core hears its own error and tears the connection down (onErrorHappend).
    publishError(tr("Error"), message);
}

void GuiQmlHandler::_skipAllTasks()
{
    if (_currentTask) {
        _currentTask->stop();
        _taskCompleted(_currentTask->type());
        discardTask(_currentTask, this);
        _currentTask = nullptr;
    }
    while (!_taskQueue.isEmpty()) {
        _currentTask = _taskQueue.takeFirst();
        _currentTask->stop();
        _taskCompleted(_currentTask->type());
        discardTask(_currentTask, this);
    }
    _currentTask = nullptr;
    _taskInProgress = false;
}

void GuiQmlHandler::_taskCompleted(int type)
{
    switch (type) {
    case GetApplicationInfo:
    case GetFileInfo:
    case GetSlaveProfile:
    case GetSettings:
    case GetPersonalization:
    case GetState:
    case GetStateSilent:
    case SaveSettings:
    case SavePersonalization:
    case GetSettingsForStateCopy:
    case SendFirmwareRawFile:
    case GetRawFile:
        if (_currentTask && !_currentTask->isSilent())
            emit appCoreShowProgressDialog(false);
        break;
    case MakeSilentDisconnect: _silentDisconnect = false; break;
    case MakeBleAutoconnect:
    case MakeBleDiscovery:
    case MakeBleDiscoveryForFirmwareUpdate:
    case MakeBleAutoconnectForFirmwareUpdate:
        stopDiscovery();
        emit appCoreBleDiscoveryStateChanged(false);
        break;
    default: break;
    }
    emit appCoreBusy(false);
}

void GuiQmlHandler::_makeTaskErrorMessage()
{
    if (_currentTask)
        showWarning(tr("Warning"), _currentTask->errorMessage());
}

utils::ApplicationTask *GuiQmlHandler::currentTaskOf(TAppTaskType type)
{
    if (!_currentTask) {
        qDebug() << "Unexpected case - current task is empty!";
        return nullptr;
    }
    if (_currentTask->type() != type) {
        qDebug() << "Unexpected app task type: " << _currentTask->type();
        return nullptr;
    }
    return _currentTask;
}

void GuiQmlHandler::passIfCurrent(std::initializer_list<TAppTaskType> types)
{
    if (!_currentTask) {
        qDebug() << "Unexpected case - current task is empty!";
        return;
    }
    for (TAppTaskType type : types) {
        if (_currentTask->type() == type) {
            _passCurrentTask();
            return;
        }
    }
    qDebug() << "Unexpected app task type: " << _currentTask->type();
}

void GuiQmlHandler::_processTask(TAppTaskType type)
{
    switch (type) {
    case CheckAutoConnect: return _taskCheckAutoConnect();
    case ConnectToDevice: return _taskConnectToDevice();
    case MakeTimeSynchronization: return _taskMakeTimeSynchronization();
    case GetApplicationInfo: return _taskGetApplicationInfo();
    case GetFileInfo: return _taskGetFileInfo();
    case GetSlaveProfile: return _taskGetSlaveProfile();
    case GetSettings: return _taskGetSettings();
    case GetPersonalization: return _taskGetPersonalization();
    case GetState: return _taskGetState();
    case CheckDeviceInitializationDone: return _taskCheckDeviceInitializationDone();
    case GetDebug: return _taskGetDebug();
    case GetStateSilent: return _taskGetStateSilent();
    case SaveSettings: return _taskSaveSettings();
    case SavePersonalization: return _taskSavePersonalization();
    case ExecuteCommand: return _taskExecuteCommand();
    case MakeDisconnect: return _taskMakeDisconnect();
    case MakeSilentDisconnect: return _taskMakeSilentDisconnect();
    case WaitBootloaderConnectionDelay: return _taskWaitBootloaderConnectionDelay();
    case MakeBleAutoconnect: return _taskMakeBleAutoconnect();
    case CheckBootloaderConnected: return _taskCheckBootloaderConnected();
    case MakeBleDiscovery: return _taskMakeBleDiscovery();
    case GetSettingsForStateCopy: return _taskGetSettingsForStateCopy();
    case MakeStateCopy: return _taskMakeStateCopy();
    case MakeBleDiscoveryForFirmwareUpdate: return _taskMakeBleDiscoveryForFirmwareUpdate();
    case CheckConnectedDeviceReadyForFirmwareUpdate: return _taskCheckConnectedDeviceReadyForFirmwareUpdate();
    case MakeBleAutoconnectForFirmwareUpdate: return _taskMakeBleAutoconnectForFirmwareUpdate();
    case CheckBootloaderConnectedForFirmwareUpdate: return _taskCheckBootloaderConnectedForFirmwareUpdate();
    case SendFirmwareRawFile: return _taskSendFirmwareRawFile();
    case GetRawFile: return _taskGetRawFile();
    case ClearRawFile: return _taskClearRawFile();
    }
    qDebug() << "Unexpected app task type: " << int(type);
}

} // namespace configurator
