// The user actions of the application core and their outcomes, and the properties the views bind to.
#include "configurator/gui_qml_handler.h"

#include <QDebug>

#include <utility>

namespace configurator {

void GuiQmlHandler::beginAction(UserAction action)
{
    if (_openActions.isEmpty()) {
        _actionFailure = Outcome::Ok;
        _actionMessage.clear();
    }
    _openActions.append({ action, false });
    // An action that queues nothing ends as soon as the event loop has finished what it started.
    scheduleActionEnd();
}

void GuiQmlHandler::refuseAction(UserAction action, Outcome outcome, const QString &message)
{
    emit appCoreActionFinished(int(action), int(outcome), message);
}

void GuiQmlHandler::failAction(Outcome outcome, const QString &message)
{
    // The first failure is the one that ends the action; what follows it is its consequence.
    if (_openActions.isEmpty() || _actionFailure != Outcome::Ok)
        return;
    _actionFailure = outcome;
    _actionMessage = message;
}

void GuiQmlHandler::achieveAction(UserAction action)
{
    for (OpenAction &open : _openActions) {
        if (open.action == action)
            open.achieved = true;
    }
}

void GuiQmlHandler::scheduleActionEnd()
{
    if (_actionEndPosted || _openActions.isEmpty())
        return;
    _actionEndPosted = true;
    // After what is running now (a handler that failed may still show its dialog).
    QMetaObject::invokeMethod(
        this,
        [this]() {
            _actionEndPosted = false;
            endActions();
        },
        Qt::QueuedConnection);
}

void GuiQmlHandler::endActions()
{
    if (_openActions.isEmpty() || isBusyWithTasks())
        return;
    // A save that ended without its values read back (the chain was torn down) is told as such.
    endWrite(false);
    compareLoadedDocument();
    const QList<OpenAction> actions = std::exchange(_openActions, {});
    for (const OpenAction &open : actions) {
        Outcome outcome = _actionFailure;
        if (outcome == Outcome::Ok && !open.achieved)
            outcome = _connected ? Outcome::Failed : Outcome::LinkLost;
        qDebug().noquote() << "Action" << QVariant::fromValue(open.action).toString() << "ended:"
                           << QVariant::fromValue(outcome).toString();
        emit appCoreActionFinished(int(open.action), int(outcome), outcome == Outcome::Ok ? QString() : _actionMessage);
    }
}

GuiQmlHandler::Outcome GuiQmlHandler::outcomeOfDeviceError(device_manager::TrStrings index)
{
    using device_manager::TrStrings;
    switch (index) {
    case TrStrings::InvalidConnection:
    case TrStrings::NoConnectionToDevice:
    case TrStrings::BleConnectionError:
    case TrStrings::ErrorScanningServices:
    case TrStrings::ComConnectionError:
    case TrStrings::UnableToFindInterface:
    case TrStrings::UnableToOpenInterface:
    case TrStrings::BluetoothPoweredOff: return Outcome::LinkLost;
    case TrStrings::DeviceIsNotSupported: return Outcome::RefusedByDevice;
    default: return Outcome::Failed;
    }
}

void GuiQmlHandler::bindViewState()
{
    _view.connStatus = tr("Connect");
    _view.headerText = tr("Not connected");
    _view.busyText = tr("Please wait");
    _view.progressText = tr("Please wait");
    // Every change of what the views show travels as one of the core's signals; the properties follow
    // them, so a signal and its property never disagree.
    connect(this, &GuiQmlHandler::appCoreSetApplicationName, this, [this](const QString &name) {
        if (std::exchange(_view.applicationName, name) != name)
            emit applicationNameChanged();
    });
    connect(this, &GuiQmlHandler::appCoreUpdateConnStatus, this,
        [this](const QString &status, bool connected, bool isApplication) {
            const bool changed = _view.connStatus != status || _view.connected != connected
                || _view.isApplication != isApplication;
            _view.connStatus = status;
            _view.connected = connected;
            _view.isApplication = isApplication;
            if (changed)
                emit connectionChanged();
        });
    connect(this, &GuiQmlHandler::appCoreHeaderText, this, [this](const QString &text) {
        if (std::exchange(_view.headerText, text) != text)
            emit headerTextChanged();
    });
    connect(this, &GuiQmlHandler::appCoreBusy, this, [this](bool busy) {
        if (std::exchange(_view.busy, busy) != busy)
            emit busyChanged();
    });
    connect(this, &GuiQmlHandler::appCoreBusyText, this, [this](const QString &text) {
        if (std::exchange(_view.busyText, text) != text)
            emit busyTextChanged();
    });
    connect(this, &GuiQmlHandler::appCoreShowProgressDialog, this, [this](bool visible) {
        if (std::exchange(_view.progressVisible, visible) != visible)
            emit progressChanged();
    });
    connect(this, &GuiQmlHandler::appCoreProgressPercentage, this, [this](int percent) {
        if (std::exchange(_view.progressPercent, percent) != percent)
            emit progressChanged();
    });
    connect(this, &GuiQmlHandler::appCoreProgressText, this, [this](const QString &text) {
        if (std::exchange(_view.progressText, text) != text)
            emit progressChanged();
    });
    connect(this, &GuiQmlHandler::appCoreDeviceFilesVisible, this, [this](bool visible) {
        if (std::exchange(_view.deviceFilesVisible, visible) != visible)
            emit deviceFilesVisibleChanged();
    });
    connect(this, &GuiQmlHandler::appCoreBleDiscoveryStateChanged, this, [this](bool discovering) {
        if (std::exchange(_view.discovering, discovering) != discovering)
            emit discoveringChanged();
    });
}

} // namespace configurator
