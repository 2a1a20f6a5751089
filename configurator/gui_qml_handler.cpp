#include "configurator/gui_qml_handler.h"

#include "configurator/app_settings.h"
#include "configurator/application_task.h"
#include "configurator/interface_language.h"
#include "configurator/task_catalogue.h"
#include "settings/encrypted_settings.h"

#include <QDebug>
#include <QMetaEnum>
#include <QTimer>

namespace configurator {

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace vp = event_topics::v_protocol;
namespace sy = event_topics::system;

namespace {

GuiQmlHandler *s_instance = nullptr;

constexpr int kUpdateStateIntervalMs = 500;
constexpr int kInactivityTimeoutMs = 300000;

const QString kResourcePrefix
    = QStringLiteral("qrc:/configurator/resources/%1").arg(QStringLiteral("VorlexIoTConfigurator"));

} // namespace

QString GuiQmlHandler::taskTypeName(int type)
{
    const char *key = QMetaEnum::fromType<TAppTaskType>().valueToKey(type);
    return key ? QStringLiteral("TAppTaskType::") + QLatin1String(key) : QString();
}

GuiQmlHandler *GuiQmlHandler::createInstance()
{
    if (!s_instance) {
        s_instance = new GuiQmlHandler();
        s_instance->afterThreadStarted();
    }
    return s_instance;
}

GuiQmlHandler *GuiQmlHandler::instance()
{
    return s_instance;
}

GuiQmlHandler::GuiQmlHandler() : _lastConnectedSerial(AppSettings::lastConnectedSerial())
{
    bindViewState();
}

GuiQmlHandler::~GuiQmlHandler()
{
    beforeThreadStopped();
    if (s_instance == this)
        s_instance = nullptr;
}

void GuiQmlHandler::overrideTaskTimeout(TAppTaskType type, qint64 timeoutMs)
{
    configurator::overrideTaskTimeout(type, timeoutMs);
}

QString GuiQmlHandler::appCoreGetResourcePrefix() const
{
    return kResourcePrefix;
}

bool GuiQmlHandler::appCoreIsRuSupported() const
{
    return InterfaceLanguage::isRussian();
}

bool GuiQmlHandler::appCoreIsEnSupported() const
{
    return !InterfaceLanguage::isRussian();
}

int GuiQmlHandler::currentTaskType() const
{
    return _currentTask ? _currentTask->type() : -1;
}

void GuiQmlHandler::afterThreadStarted()
{
    if (!_updateStateTimer) {
        _updateStateTimer = new QTimer(this);
        _updateStateTimer->setInterval(kUpdateStateIntervalMs);
        connect(_updateStateTimer, &QTimer::timeout, this, &GuiQmlHandler::_onUpdateStateTimeout);
        _inactivityTimer = new QTimer(this);
        _inactivityTimer->setSingleShot(true);
        _inactivityTimer->setInterval(kInactivityTimeoutMs);
        connect(_inactivityTimer, &QTimer::timeout, this, &GuiQmlHandler::_onInactivityTimeout);
    }
    const QList<QPair<event_topics::TopicEntry, QString>> subscriptions = {
        { dm::DeviceManagerDeviceDiscovered::topic(), QStringLiteral("onDeviceDiscovered") },
        { dm::DeviceAuthFailed::topic(), QStringLiteral("onDeviceAuthFailed") },
        { dm::DeviceAuthSuccessed::topic(), QStringLiteral("onDeviceAuthSuccessed") },
        { dm::DeviceDisconnected::topic(), QStringLiteral("onDeviceDisconnected") },
        { im::DeviceInterfaceCreated::topic(), QStringLiteral("onDeviceInterfaceCreated") },
        { im::DeviceInterfacePluggetOut::topic(), QStringLiteral("onDeviceInterfacePluggetOut") },
        { vp::ApplicationInfoFileReceived::topic(), QStringLiteral("onApplicationInfoFileReceived") },
        { vp::SlaveProfileReceived::topic(), QStringLiteral("onSlaveProfileReceived") },
        { vp::FileWithDataElementsReceived::topic(), QStringLiteral("onFileWithDataElementsReceived") },
        { vp::FileWithDataElementsTransmitted::topic(), QStringLiteral("onFileWithDataElementsTransmitted") },
        { vp::FileTableReceived::topic(), QStringLiteral("onFileTableReceived") },
        { vp::FileNameReceived::topic(), QStringLiteral("onFileNameReceived") },
        { vp::RawFileReceived::topic(), QStringLiteral("onRawFileReceived") },
        { vp::FileClearDone::topic(), QStringLiteral("onFileClearDone") },
        { vp::RawFileTransmitted::topic(), QStringLiteral("onRawFileTransmitted") },
        { dm::DeviceRoutineProgressText::topic(), QStringLiteral("onDeviceRoutineProgressText") },
        { vp::DebugResponseReceived::topic(), QStringLiteral("onDebugResponseReceived") },
        { vp::CommandConfirmReceived::topic(), QStringLiteral("onCommandConfirmReceived") },
        { sy::ErrorHappend::topic(), QStringLiteral("onErrorHappend") },
        { sy::DebugHappend::topic(), QStringLiteral("onDebugHappend") },
    };
    _subscriptions.clear();
    for (const auto &subscription : subscriptions) {
        _subscriptions.append(subscription.first);
        return_codes::logIfError(subscribe(subscription.first, subscription.second));
    }
}

bool GuiQmlHandler::isSubscribedToAll() const
{
    for (const event_topics::TopicEntry &topic : _subscriptions) {
        if (!isSubscribed(topic))
            return false;
    }
    return !_subscriptions.isEmpty();
}

void GuiQmlHandler::beforeThreadStopped()
{
    if (!_subscriptions.isEmpty()) {
        return_codes::logIfError(unsubscribeAll());
        _subscriptions.clear();
    }
    deleteInterfaceElements();
    qDeleteAll(_appSettingsElements);
    _appSettingsElements.clear();
}

// Publishing and reporting.

void GuiQmlHandler::publishMessage(event_topics::IMessage *message)
{
    return_codes::logIfError(publish(message));
}

void GuiQmlHandler::showDialog(const QString &title, const QString &text)
{
    _dialogShownInWork = true;
    emit appCoreShowErrorDialog(title, text);
}

void GuiQmlHandler::showNotice(const QString &title, const QString &text)
{
    emit appCoreShowErrorDialog(title, text);
    emit appCoreNotice(title, text);
}

void GuiQmlHandler::showWarning(const QString &title, const QString &text)
{
    showDialog(title, text);
    publishDebug(title, text);
}

void GuiQmlHandler::publishError(const QString &title, const QString &text)
{
    publishMessage(new sy::ErrorHappend(SubmoduleIds::Gui, title, text));
}

void GuiQmlHandler::publishDebug(const QString &title, const QString &text)
{
    publishMessage(new sy::DebugHappend(SubmoduleIds::Gui, title, text));
}

// Application state.

void GuiQmlHandler::appStateChanged(Qt::ApplicationState state)
{
    qDebug() << "ApplicationState: " << state;
    if (state == Qt::ApplicationSuspended || state == Qt::ApplicationHidden)
        _inactivityTimer->start();
    else
        _inactivityTimer->stop();
    if (state == Qt::ApplicationActive)
        firstActivation();
}

void GuiQmlHandler::_onUiLoaded()
{
    firstActivation();
}

void GuiQmlHandler::firstActivation()
{
    // Once per run, whichever comes first: the interface loaded or the application active.
    if (_activated)
        return;
    _activated = true;
    emit appCoreSetApplicationName(tr("Vorlex IoT"));
    buildApplicationSettings();
}

void GuiQmlHandler::buildApplicationSettings()
{
    if (!EncryptedSettings::instance()) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return;
    }
    // Built once per run: a second load of the interface gets the same elements again.
    if (_appSettingsElements.isEmpty()) {
        _appSettingsElements = AppSettings::createElements(this);
        for (VkInterfaceElement *element : qAsConst(_appSettingsElements))
            connect(element, &VkInterfaceElement::changedData, this, &GuiQmlHandler::_onSettingChanged);
    }
    for (VkInterfaceElement *element : qAsConst(_appSettingsElements))
        emit addAppSettingsElement(element);
}

void GuiQmlHandler::_onSettingChanged()
{
    auto *element = qobject_cast<VkInterfaceElement *>(sender());
    if (!element) {
        return_codes::logBadResult(ReturnCode::ErrArgumentPointerIsNull);
        return;
    }
    return_codes::logIfError(AppSettings::store(element));
    // The catalogue is chosen before the window loads: a new language shows from the next start on.
    if (element->id() == AppSettings::InterfaceLanguage)
        showNotice(tr("Interface language"),
            tr("The interface language changes when the program is started again."));
}

void GuiQmlHandler::_onInactivityTimeout()
{
    qDebug() << "Inactivity timeout!";
    disconnectRoutine();
}

void GuiQmlHandler::_onUpdateStateTimeout()
{
    // A user action under way ends first: its outcome does not wait for a poll cycle.
    if (!_connected || _taskInProgress || !_taskQueue.isEmpty() || _currentTask || !_openActions.isEmpty())
        return;
    _appendTask(GetDebug, {});
    if (isApplicationRunning())
        _appendTask(GetStateSilent, {});
    _checkAndStartTaskRoutine();
}

// User actions.

void GuiQmlHandler::connectClicked()
{
    if (_connected) {
        disconnectRoutine();
        return;
    }
    beginAction(UserAction::Connect);
    _appendTask(MakeBleDiscovery, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::passwordEntered(QString pass)
{
    if (!_currentTask || _currentTask->type() != CheckAutoConnect) {
        qDebug() << "Unexpected password, no password requested";
        return;
    }
    storePassword(pass);
    _passCurrentTask();
}

void GuiQmlHandler::passwordCancelled()
{
    failAction(Outcome::Cancelled, QString());
    disconnectRoutine();
}

void GuiQmlHandler::getSettingsClicked()
{
    if (!_connected)
        return refuseAction(UserAction::ReadSettings, Outcome::NotConnected);
    beginAction(UserAction::ReadSettings);
    _appendTask(GetSettings, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::saveSettingsClicked()
{
    if (!_connected)
        return refuseAction(UserAction::SaveSettings, Outcome::NotConnected);
    beginAction(UserAction::SaveSettings);
    _appendTask(SaveSettings, {});
    _appendTask(GetSettings, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::saveAndApplySettingsClicked()
{
    if (!_connected)
        return refuseAction(UserAction::SaveSettings, Outcome::NotConnected);
    beginAction(UserAction::SaveSettings);
    _appendTask(SaveSettings, {});
    _appendTask(GetSettings, {});
    // The device applies what it saved: the jobs of the command element, as the Commands page runs it.
    if (const VkInterfaceElement *apply = interfaceElement(kApplySettingsCommand))
        _appendTask(ExecuteCommand, { kApplySettingsCommand, apply->value() });
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::getPersClicked()
{
    if (!_connected)
        return refuseAction(UserAction::ReadPersonalization, Outcome::NotConnected);
    beginAction(UserAction::ReadPersonalization);
    _appendTask(GetPersonalization, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::savePersClicked()
{
    if (!_connected)
        return refuseAction(UserAction::SavePersonalization, Outcome::NotConnected);
    beginAction(UserAction::SavePersonalization);
    _appendTask(SavePersonalization, {});
    _appendTask(GetPersonalization, {});
    _checkAndStartTaskRoutine();
}

VkInterfaceElement *GuiQmlHandler::interfaceElement(int id) const
{
    for (VkInterfaceElement *element : _interfaceElements) {
        if (element->id() == id)
            return element;
    }
    return nullptr;
}

void GuiQmlHandler::executeCommand(int elementId)
{
    const VkInterfaceElement *found = interfaceElement(elementId);
    if (!_connected || !found) {
        qWarning() << "Command not found with ID:" << elementId;
        return refuseAction(UserAction::RunCommand, _connected ? Outcome::NotFound : Outcome::NotConnected);
    }
    beginAction(UserAction::RunCommand);
    _appendTask(ExecuteCommand, { elementId, found->value() });
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::executeApplicationCommand(int elementId)
{
    Q_UNUSED(elementId);
}

void GuiQmlHandler::executeStandardCommand(int commandId)
{
    if (commandId == BootToBootloader) {
        if (!_connected)
            return refuseAction(UserAction::BootToBootloader, Outcome::NotConnected);
        beginAction(UserAction::BootToBootloader);
        _bootToBootloaderStart();
        return;
    }
    qDebug() << "Unknown standard command ID is not used! Check your code!";
}

void GuiQmlHandler::clearDebugTextClicked()
{
    _debugConsole.clear();
    emit appCoreClearDebugText();
}

void GuiQmlHandler::addDebugLogMessage(QString text)
{
    appendDebugText(text);
}

void GuiQmlHandler::appendDebugText(const QString &text)
{
    emit appCoreDebugText(_debugConsole.append(text));
}

void GuiQmlHandler::makeStateCopyClicked()
{
    beginAction(UserAction::StateCopy);
    if (_connected)
        _appendTask(GetSettingsForStateCopy, {});
    else
        _appendTask(MakeStateCopy, { QVariant::fromValue(v_protocol::TFileWithDataElements()) });
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::deviceFileCmdToRead(int fileId)
{
    beginAction(UserAction::ReadFile);
    _appendTask(GetRawFile, { fileId });
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::deviceFileCmdToWrite(int fileId)
{
    Q_UNUSED(fileId);
    showWarning(tr("Warning"), tr("Write functional for device's file is not supported yet - contact your partner"));
}

void GuiQmlHandler::deviceFileCmdToClear(int fileId)
{
    beginAction(UserAction::ClearFile);
    _appendTask(ClearRawFile, { fileId });
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::updateFirmwareRefreshServerFiles() { }

} // namespace configurator
