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
        scheduleActionEnd();
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
    // An autoconnect that times out did not see the device again.
    const bool searching = currentRow() && currentRow()->end == TaskEnd::DeviceSeen;
    failAction(searching ? Outcome::NotFound : Outcome::Timeout, message);
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
    scheduleActionEnd();
}

void GuiQmlHandler::_taskCompleted(int type)
{
    if (const TaskRow *row = taskRow(type)) {
        if (row->has(TaskRow::ClosesProgress) && _currentTask && !_currentTask->isSilent())
            emit appCoreShowProgressDialog(false);
        if (row->has(TaskRow::EndsSilentDisconnect))
            _silentDisconnect = false;
        if (row->has(TaskRow::StopsDiscovery)) {
            stopDiscovery();
            emit appCoreBleDiscoveryStateChanged(false);
        }
    }
    emit appCoreBusy(false);
}

void GuiQmlHandler::_makeTaskErrorMessage()
{
    if (!_currentTask)
        return;
    failAction(Outcome::RefusedByDevice, _currentTask->errorMessage());
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

const GuiQmlHandler::TaskRow *GuiQmlHandler::currentRow() const
{
    return _currentTask ? taskRow(_currentTask->type()) : nullptr;
}

void GuiQmlHandler::passIfCurrent(TaskEnd end)
{
    if (!_currentTask) {
        qDebug() << "Unexpected case - current task is empty!";
        return;
    }
    if (currentRow() && currentRow()->end == end) {
        _passCurrentTask();
        return;
    }
    qDebug() << "Unexpected app task type: " << _currentTask->type();
}

void GuiQmlHandler::_processTask(TAppTaskType type)
{
    if (const TaskRow *row = taskRow(type)) {
        (this->*row->start)();
        return;
    }
    qDebug() << "Unexpected app task type: " << int(type);
}

} // namespace configurator
