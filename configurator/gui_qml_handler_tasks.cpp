// The actions of the job types and the chains of jobs the user's actions queue.
#include "configurator/app_settings.h"
#include "configurator/application_task.h"
#include "configurator/gui_qml_handler.h"
#include "settings/encrypted_settings.h"
#include "v_protocol/crc.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QTimer>
#include <QUuid>
#include <QtEndian>

#include <limits>

namespace configurator {

namespace dm = event_topics::device_manager;
namespace vp = event_topics::v_protocol;

using v_protocol::TMandatoryFileTypes;

namespace {

constexpr quint16 kTimeSynchronizationCommand = 1177; // 0x0499
constexpr quint16 kBootloaderCommand = 1025; // 0x0401
constexpr qint64 kBootloaderFileLimit = 65535;

QString returnCodeText(ReturnCode code)
{
    return return_codes::returnCodeInfo(code).second;
}

bool fitsWireSerial(quint64 serial)
{
    return serial <= std::numeric_limits<quint32>::max();
}

} // namespace

bool GuiQmlHandler::isReadable() const
{
    return _connected && _receivedFiles.testFlag(SlaveProfile) && applicationType() != 0;
}

bool GuiQmlHandler::hasDisconnectableDevice() const
{
    return _connected && !_currentDevice.deviceInfo.Name.isEmpty() && fitsWireSerial(_currentDevice.deviceInfo.Serial);
}

void GuiQmlHandler::storePassword(const QString &password)
{
    _password = password;
    _currentDevice.deviceInfo.Pass = password;
    // Each connection attempt is a link of its own.
    if (_currentDevice.interfaceInfo.type == device_manager::InterfaceType::BLE)
        _currentDevice.interfaceInfo.uuid = QUuid::createUuid().toString(QUuid::WithBraces);
}

void GuiQmlHandler::startDiscovery()
{
    _discoveredDevices.clear();
    _heardAtMs.clear();
    _heardClock.start();
    if (!_silentDevicesTimer) {
        _silentDevicesTimer = new QTimer(this);
        connect(_silentDevicesTimer, &QTimer::timeout, this, &GuiQmlHandler::forgetSilentDevices);
    }
    // A tenth of the age, at most a second: a device goes at most that much late.
    _silentDevicesTimer->start(qBound(10, _deviceLostAfterMs / 10, 1000));
    publishMessage(new dm::DeviceManagerCmdStartDiscovery({ device_manager::DiscoveryState::Active }));
}

void GuiQmlHandler::stopDiscovery()
{
    if (_silentDevicesTimer)
        _silentDevicesTimer->stop();
    publishMessage(new dm::DeviceManagerCmdStartDiscovery({ device_manager::DiscoveryState::Inactive }));
}

void GuiQmlHandler::setDeviceLostAfterMs(int ms)
{
    _deviceLostAfterMs = qMax(1, ms);
    if (_silentDevicesTimer && _silentDevicesTimer->isActive())
        _silentDevicesTimer->start(qBound(10, _deviceLostAfterMs / 10, 1000));
}

void GuiQmlHandler::forgetSilentDevices()
{
    const qint64 now = _heardClock.elapsed();
    for (auto it = _heardAtMs.begin(); it != _heardAtMs.end();) {
        if (now - it.value() < _deviceLostAfterMs) {
            ++it;
            continue;
        }
        const QString uuid = it.key();
        it = _heardAtMs.erase(it);
        _discoveredDevices.remove(uuid);
        qDebug() << "Device not heard for" << _deviceLostAfterMs << "ms, lost:" << uuid;
        emit appCoreBleDeviceLost(uuid);
    }
}

void GuiQmlHandler::disconnectRoutine()
{
    if (!_silentDisconnect)
        _skipAllTasks();
    const bool authenticated = _authResponse.isGranted();
    if (_connected)
        _disconnectRequested = true;
    if (hasDisconnectableDevice())
        publishMessage(new dm::CmdDisconnectFromDevice(deviceKey(), _currentDevice.interfaceInfo));
    // Before authentication there may be no session to report its end (a password dialog that was
    // cancelled): the core ends the connection itself. A session that authenticates later is
    // disconnected when it reports.
    if (_connected && !authenticated && !_silentDisconnect)
        resetDisconnectedState();
}

void GuiQmlHandler::appendConnectChain()
{
    for (TAppTaskType type : { MakeTimeSynchronization, GetApplicationInfo, GetFileInfo, GetSlaveProfile, GetSettings,
             GetPersonalization, GetState, CheckDeviceInitializationDone })
        _appendTask(type, {});
}

void GuiQmlHandler::appCoreConnectToBleDevice(QString uuid)
{
    qDebug() << "In, uuid: " << uuid;
    if (uuid.isEmpty()) {
        qDebug() << "BLE discovery canceled";
        failAction(Outcome::Cancelled, QString());
        stopDiscovery();
        _skipAllTasks();
        return;
    }
    const auto found = _discoveredDevices.constFind(uuid);
    if (found == _discoveredDevices.cend() || found->deviceInfo.Name.isEmpty()
        || !fitsWireSerial(found->deviceInfo.Serial)) {
        qWarning() << "Invalid discovered device uuid: " << uuid;
        failAction(Outcome::NotFound, QString());
        disconnectRoutine();
        return;
    }
    if (!_currentTask) {
        qDebug() << "Unexpected case - current task is empty!";
        return;
    }
    const int type = _currentTask->type();
    if (type != MakeBleDiscovery && type != MakeBleDiscoveryForFirmwareUpdate) {
        qDebug() << "Unexpected app task type: " << type;
        const QString text = tr("Unexpected task [%1] for BLE discovery").arg(taskTypeName(type));
        failAction(Outcome::Failed, text);
        publishError(tr("Internal error"), text);
        return;
    }
    const device_manager::DeviceDiscoveryInfo device = found.value();
    _passCurrentTask();
    resetForNewDevice();
    _currentDevice = device;
    _connected = true;
    _appendTask(CheckAutoConnect, {});
    _appendTask(ConnectToDevice, {});
    if (type == MakeBleDiscovery)
        appendConnectChain();
    else
        _appendTask(CheckConnectedDeviceReadyForFirmwareUpdate, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::appendBootChain(TAppTaskType autoconnect, TAppTaskType check)
{
    if (!EncryptedSettings::instance() || applicationType() != 1 || !_connected) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return;
    }
    // The device restarts into its bootloader; the link goes without ending the queue, the device
    // gets its time, and the same serial number is looked for again.
    _appendTask(ExecuteCommand, { int(kBootloaderCommand) });
    _appendTask(MakeSilentDisconnect, {});
    _appendTask(WaitBootloaderConnectionDelay, {});
    _appendTask(autoconnect, { _currentDevice.deviceInfo.Serial });
    _appendTask(check, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::_bootToBootloaderStart()
{
    appendBootChain(MakeBleAutoconnect, CheckBootloaderConnected);
}

void GuiQmlHandler::_bootToBootloaderForFirmwareUpdate()
{
    appendBootChain(MakeBleAutoconnectForFirmwareUpdate, CheckBootloaderConnectedForFirmwareUpdate);
}

// Job actions.

void GuiQmlHandler::_taskCheckAutoConnect()
{
    utils::ApplicationTask *task = currentTaskOf(CheckAutoConnect);
    if (!task)
        return;
    if (!task->extraArgs().isEmpty()) {
        storePassword(task->extraArgs().constFirst().toString());
        _passCurrentTask();
        return;
    }
    if (!EncryptedSettings::instance()) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        emit appCorePasswordRequest();
        return;
    }
    if (!AppSettings::autoconnect()) {
        // The job ends with the answer of the password dialog, or with its time-out.
        emit appCorePasswordRequest();
        return;
    }
    storePassword(AppSettings::defaultPassword());
    _passCurrentTask();
}

void GuiQmlHandler::_taskConnectToDevice()
{
    publishMessage(new dm::CmdConnectToDevice(_currentDevice));
}

void GuiQmlHandler::_taskMakeTimeSynchronization()
{
    if (!isApplicationRunning()) {
        _passCurrentTask();
        return;
    }
    v_protocol::TCommandRequest request;
    request.cmdId = kTimeSynchronizationCommand;
    request.cmdData = QByteArray(4, '\0');
    qToLittleEndian(quint32(QDateTime::currentSecsSinceEpoch()), request.cmdData.data());
    publishMessage(new vp::CmdSendCommand(deviceKey(), request));
}

void GuiQmlHandler::_taskGetApplicationInfo()
{
    publishMessage(new vp::CmdFileRequested(deviceKey(), TMandatoryFileTypes::ApplicationInfoFile));
}

void GuiQmlHandler::_taskGetFileInfo()
{
    if (applicationType() == 0 || applicationType() == 3) {
        _passCurrentTask();
        return;
    }
    publishMessage(new vp::CmdFileRequested(deviceKey(), TMandatoryFileTypes::FileInfo));
}

void GuiQmlHandler::_taskGetSlaveProfile()
{
    publishMessage(new vp::CmdFileRequested(deviceKey(), TMandatoryFileTypes::SlaveProfile));
}

void GuiQmlHandler::requestDataElementsFile(TMandatoryFileTypes fileType)
{
    if (!isReadable()) {
        _passCurrentTask();
        return;
    }
    publishMessage(new vp::CmdFileRequested(deviceKey(), fileType));
}

void GuiQmlHandler::_taskGetSettings()
{
    requestDataElementsFile(TMandatoryFileTypes::SettingsFile);
}

void GuiQmlHandler::_taskGetPersonalization()
{
    requestDataElementsFile(TMandatoryFileTypes::PersonalizationFile);
}

void GuiQmlHandler::_taskGetState()
{
    requestDataElementsFile(TMandatoryFileTypes::StateFile);
}

void GuiQmlHandler::_taskGetStateSilent()
{
    requestDataElementsFile(TMandatoryFileTypes::StateFile);
}

void GuiQmlHandler::_taskGetSettingsForStateCopy()
{
    if (!isReadable()) {
        // Nothing to read back: the copy is made from what the application holds.
        _appendTask(MakeStateCopy, { QVariant::fromValue(v_protocol::TFileWithDataElements()) });
        _passCurrentTask();
        return;
    }
    publishMessage(new vp::CmdFileRequested(deviceKey(), TMandatoryFileTypes::SettingsFile));
}

void GuiQmlHandler::_taskCheckDeviceInitializationDone()
{
    const int mask = int(_receivedFiles);
    if (applicationType() != 0 && (mask & AllFiles) != AllFiles) {
        qDebug() << ">>> NOT Received all neccessary files! " << mask;
        const QString text
            = tr("Device initialization failed! Received files[%1] but expected[%2]").arg(mask).arg(int(AllFiles));
        failAction(Outcome::Failed, text);
        // A chain that told the user of its failure already does not repeat it in other words.
        if (!_dialogShownInWork)
            showWarning(tr("Warning"), text);
    }
    if (_connected)
        achieveAction(UserAction::Connect);
    qDebug() << ">>> Received all neccessary files!" << mask;
    if (_receivedFiles.testFlag(PersonalizationFile))
        emit loadDataToInterface(VkInterfaceElement::PersonalizationInfo);
    if (_receivedFiles.testFlag(SettingsFile))
        emit loadDataToInterface(VkInterfaceElement::SlaveSetting);
    if (_receivedFiles.testFlag(StateFile))
        emit loadDataToInterface(VkInterfaceElement::SlaveState);
}

void GuiQmlHandler::_taskGetDebug()
{
    publishMessage(new vp::CmdDebugRequsted(deviceKey(), true));
}

void GuiQmlHandler::sendDataElementsFile(VkInterfaceElement::ETypes kind, TMandatoryFileTypes fileType)
{
    v_protocol::TFileWithDataElements file;
    const ReturnCode result
        = VkInterfaceElement::buildDataElementsFile(_interfaceElements, kind, quint8(fileType), file);
    if (result != ReturnCode::Ok) {
        const QString text = tr("Unable to construct data file [%1]").arg(returnCodeText(result));
        failAction(Outcome::Failed, text);
        showWarning(tr("Save file error"), text);
        _passCurrentTask();
        return;
    }
    beginWrite(kind);
    publishMessage(new vp::CmdToSendFileWithDataElements(deviceKey(), fileType, file));
}

void GuiQmlHandler::_taskSaveSettings()
{
    sendDataElementsFile(VkInterfaceElement::SlaveSetting, TMandatoryFileTypes::SettingsFile);
}

void GuiQmlHandler::_taskSavePersonalization()
{
    sendDataElementsFile(VkInterfaceElement::PersonalizationInfo, TMandatoryFileTypes::PersonalizationFile);
}

void GuiQmlHandler::_taskExecuteCommand()
{
    const QVariantList args = _currentTask ? _currentTask->extraArgs() : QVariantList();
    if (!_connected || args.isEmpty()) {
        // Nothing to send: the job ends here instead of waiting for its time-out.
        if (_currentTask && (_currentTask->type() == MakeTimeSynchronization || _currentTask->type() == ExecuteCommand))
            _passCurrentTask();
        else if (_currentTask)
            qDebug() << "Unexpected app task type: " << _currentTask->type();
        return;
    }
    v_protocol::TCommandRequest request;
    request.cmdId = quint16(args.at(0).toUInt());
    if (args.size() >= 2)
        request.cmdData = args.at(1).toByteArray();
    publishMessage(new vp::CmdSendCommand(deviceKey(), request));
}

void GuiQmlHandler::_taskMakeDisconnect()
{
    disconnectRoutine();
}

void GuiQmlHandler::_taskMakeSilentDisconnect()
{
    _silentDisconnect = true;
    disconnectRoutine();
}

void GuiQmlHandler::_taskWaitBootloaderConnectionDelay()
{
    // The job's timer is the wait.
}

void GuiQmlHandler::_taskMakeBleAutoconnect()
{
    startDiscovery();
}

void GuiQmlHandler::_taskMakeBleAutoconnectForFirmwareUpdate()
{
    startDiscovery();
}

void GuiQmlHandler::_taskCheckBootloaderConnected()
{
    if (applicationType() != 0) {
        const QString text = tr("Invalid attempt to load to Bootloader! Try next one");
        failAction(Outcome::Failed, text);
        showWarning(tr("Warning"), text);
    } else {
        achieveAction(UserAction::BootToBootloader);
    }
    passIfCurrent(TaskEnd::Itself);
}

void GuiQmlHandler::startDeviceListDiscovery()
{
    if (_connected) {
        // A device was chosen meanwhile (an earlier list): nothing to discover, and the chain that
        // follows must not wait for this job's time-out.
        _passCurrentTask();
        return;
    }
    startDiscovery();
    emit appCoreBleDiscoveryStateChanged(true);
}

void GuiQmlHandler::_taskMakeBleDiscovery()
{
    startDeviceListDiscovery();
}

void GuiQmlHandler::_taskMakeBleDiscoveryForFirmwareUpdate()
{
    startDeviceListDiscovery();
}

void GuiQmlHandler::_taskMakeStateCopy()
{
    const QVariantList args = _currentTask ? _currentTask->extraArgs() : QVariantList();
    if (!args.isEmpty())
        makeStateCopy(args.constFirst().value<v_protocol::TFileWithDataElements>());
    _passCurrentTask();
}

void GuiQmlHandler::_taskCheckConnectedDeviceReadyForFirmwareUpdate()
{
    if (!_connected) {
        disconnectRoutine();
        return;
    }
    if (applicationType() == 1) {
        _bootToBootloaderForFirmwareUpdate();
        return;
    }
    _appendTask(SendFirmwareRawFile, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::_taskCheckBootloaderConnectedForFirmwareUpdate()
{
    if (applicationType() != 0) {
        const QString text = tr("Invalid attempt to load to Bootloader to update Firmware! Try next attempt");
        failAction(Outcome::Failed, text);
        showWarning(tr("Warning"), text);
        // The link is going down: no upload follows (the device's answer to it could only be a
        // refusal, or the image would go to a firmware that did not ask for it).
        disconnectRoutine();
        return;
    }
    _appendTask(SendFirmwareRawFile, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::_taskSendFirmwareRawFile()
{
    if (!_connected) {
        qDebug() << "Device is not connected!";
        failAction(Outcome::LinkLost, QString());
        disconnectRoutine();
        return;
    }
    QByteArray image;
    if (!readFirmwareImage(image)) {
        disconnectRoutine();
        return;
    }
    const bool bootloaderImage = image.size() <= kBootloaderFileLimit && image.contains("-boot");
    const quint8 fileId
        = quint8(bootloaderImage ? TMandatoryFileTypes::BootloaderFile : TMandatoryFileTypes::ApplicationFile);
    QByteArray bytes(4, '\0');
    qToLittleEndian(v_protocol::calcCrc32(image), bytes.data());
    bytes.append(image);
    publishMessage(new vp::CmdSendRawFile(deviceKey(), fileId, bytes));
}

void GuiQmlHandler::_taskGetRawFile()
{
    const QVariantList args = _currentTask ? _currentTask->extraArgs() : QVariantList();
    if (args.isEmpty()) {
        _makeTaskErrorMessage();
        _passCurrentTask();
        return;
    }
    const quint8 fileId = quint8(args.constFirst().toUInt());
    for (const v_protocol::TFileTable::Element &entry : qAsConst(_fileTable.elements)) {
        if (entry.fileId == fileId) {
            publishMessage(new vp::CmdGetRawFile(deviceKey(), fileId, entry.fastReading));
            return;
        }
    }
    failAction(Outcome::NotFound, _currentTask ? _currentTask->errorMessage() : QString());
    _makeTaskErrorMessage();
    qDebug() << "Invalid file element for fileId:" << fileId;
    // Nothing was asked of the device: the job ends here instead of by its time-out.
    _passCurrentTask();
}

void GuiQmlHandler::_taskClearRawFile()
{
    const QVariantList args = _currentTask ? _currentTask->extraArgs() : QVariantList();
    if (args.isEmpty()) {
        _makeTaskErrorMessage();
        _passCurrentTask();
        return;
    }
    publishMessage(new vp::CmdFileClear(deviceKey(), quint8(args.constFirst().toUInt())));
}

} // namespace configurator
