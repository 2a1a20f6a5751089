// The bus handlers of the application core: device events finish jobs and become state and signals.
#include "configurator/app_settings.h"
#include "configurator/application_task.h"
#include "configurator/gui_qml_handler.h"
#include "configurator/interface_tree.h"
#include "configurator/task_catalogue.h"
#include "configurator/tr_texts.h"
#include "settings/encrypted_settings.h"

#include <QDebug>
#include <QJsonDocument>
#include <QUuid>

#include <limits>

namespace configurator {

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace vp = event_topics::v_protocol;
namespace sy = event_topics::system;

using v_protocol::TAuthResult;

namespace {

const QString kAppPrefix = QStringLiteral(">>>[APP] ");

bool fitsWireSerial(quint64 serial)
{
    return serial <= std::numeric_limits<quint32>::max();
}

QString withoutNul(QString text)
{
    return text.remove(QChar(u'\0'));
}

} // namespace

bool GuiQmlHandler::acceptDeviceMessage(const QSharedPointer<const event_topics::IMessage> &message,
    const device_manager::DeviceEntry &entry, bool connectedOnly)
{
    if (!message) {
        qWarning() << "Invalid message";
        return false;
    }
    if (connectedOnly && !_connected)
        return false;
    if (entry.serial != _currentDevice.deviceInfo.Serial) {
        qDebug() << "Unknown device - skip message";
        return false;
    }
    return true;
}

// State resets.

void GuiQmlHandler::resetForNewDevice()
{
    _currentDevice = device_manager::DeviceDiscoveryInfo();
    _applicationInfo = v_protocol::TApplicationInfoFile();
    _debugConsole.clearResponseBuffers();
    _authResponse = v_protocol::TAuthResponse();
    _receivedFiles = None;
    _disconnectRequested = false;
    _deviceValues.clear();
    _write = PendingWrite();
    _applying.clear();
    _sessionChanges.clear();
    _comparison = ConfigComparison();
    _loadedDocument.reset();
    emit appCoreRemoveAllStandartCmd();
    emit appCoreDeviceFilesVisible(false);
    emit appCoreClearDeviceFiles();
    deleteFileElements();
    _fileTable = v_protocol::TFileTable();
}

void GuiQmlHandler::resetDisconnectedState()
{
    _updateStateTimer->stop();
    if (!_silentDisconnect)
        _skipAllTasks();
    const bool wasConnected = _connected;
    // A link the core did not end, lost without anything having told the user yet.
    const bool lostUnannounced = wasConnected && !_silentDisconnect && !_disconnectRequested && !_dialogShownInWork;
    if (wasConnected) {
        _authResponse.authResult = TAuthResult::Disconnected;
        const v_protocol::TSlaveApplication &record = _currentDevice.deviceInfo;
        if (!record.Name.isEmpty() && fitsWireSerial(record.Serial))
            appendDebugText(QStringLiteral("%1 DISCONNECT from device: %2 - %3.%4 Serial: %5\n")
                                .arg(kAppPrefix, record.Name)
                                .arg(record.FirmwareVersion.Major)
                                .arg(record.FirmwareVersion.Minor)
                                .arg(record.Serial));
    }
    _connected = false;
    _disconnectRequested = false;
    emit appCoreHeaderText(tr("Not connected"));
    emit appCoreUpdateConnStatus(tr("Connect"), false, true);
    emit clearInterface();
    if (!_silentDisconnect) {
        emit appCoreShowProgressDialog(false);
        emit appCoreBusy(false);
    }
    if (lostUnannounced) {
        const QString text = trText(device_manager::TrStrings::NoConnectionToDevice);
        failAction(Outcome::LinkLost, text);
        publishError(tr("Error"), text);
    }
}

void GuiQmlHandler::updateHeaderLine()
{
    if (!_connected) {
        resetDisconnectedState();
        return;
    }
    const v_protocol::TSlaveApplication &record = _currentDevice.deviceInfo;
    const int type = applicationType();
    const QString boot
        = (type == 0 || type == 3) ? QStringLiteral("<font color=\"red\"><b>   BOOT</b></font>") : QString();
    // The device names itself: its name is text, never markup.
    emit appCoreHeaderText(tr("<font>%1 - %2.%3<br>Serial: %4</font>%5")
                               .arg(record.Name.toHtmlEscaped())
                               .arg(record.FirmwareVersion.Major)
                               .arg(record.FirmwareVersion.Minor)
                               .arg(record.Serial)
                               .arg(boot));
    emit appCoreUpdateConnStatus(tr("Disconnect"), true, isApplicationRunning());
}

void GuiQmlHandler::deleteInterfaceElements()
{
    // The pages may still hold the elements until they are cleared: they go from the event loop.
    for (VkInterfaceElement *element : qAsConst(_interfaceElements))
        element->deleteLater();
    _interfaceElements.clear();
}

void GuiQmlHandler::deleteFileElements()
{
    for (VkFileInfoElement *element : qAsConst(_fileElements))
        element->deleteLater();
    _fileElements.clear();
}

// Discovery and connection.

void GuiQmlHandler::onDeviceDiscovered(dm::DeviceManagerDeviceDiscoveredMessage message)
{
    if (!message) {
        qWarning() << "Invalid message";
        return;
    }
    const device_manager::DeviceDiscoveryInfo &discovered = message->discoveredDevice;
    if (discovered.interfaceInfo.type != device_manager::InterfaceType::BLE)
        return;
    const v_protocol::TSlaveApplication &record = discovered.deviceInfo;
    if (record.Name.isEmpty() || !fitsWireSerial(record.Serial)) {
        qDebug() << "Invalid devices's Serial";
        return;
    }
    const bool autoconnecting = _currentTask
        && (_currentTask->type() == MakeBleAutoconnect || _currentTask->type() == MakeBleAutoconnectForFirmwareUpdate);
    if (!autoconnecting) {
        QString key;
        for (auto it = _discoveredDevices.cbegin(); it != _discoveredDevices.cend(); ++it) {
            if (it->deviceInfo.Serial == record.Serial) {
                key = it.key();
                break;
            }
        }
        if (key.isEmpty())
            key = QUuid::createUuid().toString(QUuid::WithoutBraces);
        _discoveredDevices.insert(key, discovered);
        _heardAtMs.insert(key, _heardClock.elapsed());
        emit appCoreBleDeviceDiscovered(record.displayText()
                + QStringLiteral(" [v%1.%2]").arg(record.FirmwareVersion.Major).arg(record.FirmwareVersion.Minor),
            key);
        emit appCoreBleDeviceHeard(key, QString::number(record.Serial), discovered.rssi);
        return;
    }
    const QVariantList args = _currentTask->extraArgs();
    if (args.isEmpty()) {
        const QString text = tr("Internal error! Invalid task %1 arguments").arg(taskTypeName(_currentTask->type()));
        failAction(Outcome::Failed, text);
        publishError(tr("Error"), text);
        return;
    }
    if (args.constFirst().toULongLong() != record.Serial)
        return;
    qDebug() << "Device with SN:" << record.Serial << " discovered! Try to connect";
    const int type = _currentTask->type();
    resetForNewDevice();
    _currentDevice = discovered;
    _connected = true;
    _appendTask(ConnectToDevice, {}, true);
    _appendTask(CheckAutoConnect, { _password }, true);
    if (type == MakeBleAutoconnect)
        appendConnectChain();
    _passCurrentTask();
}

void GuiQmlHandler::onDeviceAuthFailed(dm::DeviceAuthFailedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (!_connected) {
        // The user gave up on this device meanwhile: only its link goes.
        disconnectRoutine();
        return;
    }
    reportRefusedAuthentication(message->authResponse.authResult);
}

void GuiQmlHandler::reportRefusedAuthentication(v_protocol::TAuthResult result)
{
    // The device side reports a busy device as a failed authentication: the user is told to wait,
    // not that the password was wrong.
    if (result == TAuthResult::TooMany || result == TAuthResult::Busy) {
        qDebug() << "Received busy auth status";
        const QString text = tr("Device is busy - wait or restart device");
        failAction(Outcome::DeviceBusy, text);
        showWarning(tr("Information"), text);
    } else {
        const QString text = tr("Access denided");
        failAction(Outcome::AuthRefused, text);
        publishError(tr("Error"), text);
    }
    disconnectRoutine();
}

void GuiQmlHandler::onDeviceAuthSuccessed(dm::DeviceAuthSuccessedMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    if (!acceptDeviceMessage(message, message->deviceEntry, false))
        return;
    if (!_connected) {
        // Authenticated after the user gave up on the device (cancelled, or an error ended the
        // attempt): the session is not kept.
        qDebug() << "Authentication after the connection was given up - disconnect";
        publishMessage(new dm::CmdDisconnectFromDevice(deviceKey(), _currentDevice.interfaceInfo));
        return;
    }
    bool withDefaultPassword = false;
    if (EncryptedSettings::instance())
        withDefaultPassword = AppSettings::autoconnect();
    else
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);

    _authResponse = message->authResponse;
    _currentDevice.deviceInfo.AuthResult = _authResponse.authResult;
    _currentDevice.deviceInfo.AppType = _authResponse.appType;
    _currentDevice.deviceInfo.MaxSizePacket = _authResponse.maxPacketSize;
    const TAuthResult result = _authResponse.authResult;
    if (result == TAuthResult::SuccessRoot || result == TAuthResult::SuccessUser) {
        qDebug() << "Received expected successed auth status";
        _applicationInfo = v_protocol::TApplicationInfoFile();
        const char *kind = "Auth successed, Application, res[";
        switch (_authResponse.appType) {
        case v_protocol::TAppType::Bootloader: kind = "Auth successed, Bootloader, res["; break;
        case v_protocol::TAppType::BootloaderV2: kind = "Auth successed, BootloaderV2, res["; break;
        case v_protocol::TAppType::Dravik: kind = "Auth successed, Dravik, res["; break;
        default: break;
        }
        qDebug().nospace().noquote() << kind << v_protocol::toText(result) << "]";
        _updateStateTimer->start();
        updateHeaderLine();
        const v_protocol::TSlaveApplication &record = _currentDevice.deviceInfo;
        if (record.Serial != 0 && record.Serial != _lastLoggedSerial) {
            emit appCoreClearDebugText();
            _debugConsole.clear();
            _lastLoggedSerial = record.Serial;
        }
        const QString serial = QString::number(record.Serial);
        if (serial != _lastConnectedSerial) {
            _lastConnectedSerial = serial;
            AppSettings::storeLastConnectedSerial(serial);
            emit lastConnectedSerialChanged();
        }
        appendDebugText(QStringLiteral("%1 CONNECT to device: %2 - %3.%4 Serial: %5%6\n")
                            .arg(kAppPrefix, record.Name)
                            .arg(record.FirmwareVersion.Major)
                            .arg(record.FirmwareVersion.Minor)
                            .arg(record.Serial)
                            .arg(withDefaultPassword ? QStringLiteral(" with default password") : QString()));
        _receivedFiles = None;
        if (isApplicationRunning())
            emit appCoreAddStandartCmd(BootToBootloader, tr("Load to bootloader"));
        passIfCurrent(TaskEnd::Authentication);
        return;
    }
    reportRefusedAuthentication(result);
}

void GuiQmlHandler::onDeviceDisconnected(dm::DeviceDisconnectedMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    if (!acceptDeviceMessage(message, message->device, false))
        return;
    // Once disconnected, a late report of the same link must not end what the user started since
    // (a new device list, say).
    if (_connected)
        resetDisconnectedState();
    passIfCurrent(TaskEnd::Disconnected);
}

void GuiQmlHandler::onDeviceInterfaceCreated(im::DeviceInterfaceCreatedMessage message)
{
    if (!message)
        return_codes::logBadResult(ReturnCode::ErrInternalError);
}

void GuiQmlHandler::onDeviceInterfacePluggetOut(im::DeviceInterfacePluggetOutMessage message)
{
    if (!message) {
        qWarning() << "Invalid message";
        return;
    }
    if (message->interfaceInfo != _currentDevice.interfaceInfo)
        return;
    appendDebugText(tr("Warning! Bluetooth interface disconnected\n"));
    if (_connected)
        resetDisconnectedState();
}

// Files.

void GuiQmlHandler::onApplicationInfoFileReceived(vp::ApplicationInfoFileReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (message->isValid) {
        _applicationInfo = message->file;
    } else {
        _makeTaskErrorMessage();
        _applicationInfo = v_protocol::TApplicationInfoFile();
    }
    passIfCurrent(TaskEnd::ApplicationInfo);
}

void GuiQmlHandler::onSlaveProfileReceived(vp::SlaveProfileReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), true))
        return;
    if (!message->isValid) {
        qDebug() << "Errors while receive SlaveProfile!";
        passIfCurrent(TaskEnd::SlaveProfile);
        return;
    }
    deleteInterfaceElements();
    _deviceValues.clear();
    InterfaceTree tree;
    for (const v_protocol::TSlaveProfile::Element &profileElement : message->file.elements) {
        auto *element = new VkInterfaceElement(profileElement, this);
        _interfaceElements.append(element);
        qDebug() << "Element created: " << element;
        if (!tree.insert(element)) {
            publishDebug(tr("Problem with ProFile element"),
                tr("Element: id[%1], parentId[%2], nameEn[%3] - can not be represented!")
                    .arg(element->id())
                    .arg(element->parentId())
                    .arg(element->nameEn()));
            element->setParentId(0);
            tree.insert(element);
        }
    }
    const bool isRoot = isRootUser();
    for (VkInterfaceElement *element : tree.preOrder()) {
        emit addInterfaceElement(isRoot, element);
        if (element->type() == VkInterfaceElement::SlaveCommand)
            element->setData(element->min());
    }
    _receivedFiles |= SlaveProfile;
    passIfCurrent(TaskEnd::SlaveProfile);
}

void GuiQmlHandler::applyDataElementsFile(const v_protocol::TFileWithDataElements &file)
{
    if (_interfaceElements.isEmpty() || file.elements.isEmpty()) {
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return;
    }
    // Positions of the file's elements by key, in file order.
    QHash<VkInterfaceElement::DataElementKey, QList<int>> positions;
    for (int i = 0; i < file.elements.size(); ++i) {
        const auto &dataElement = file.elements.at(i);
        positions[{ dataElement.dataSize, dataElement.id }].append(i);
    }
    for (VkInterfaceElement *element : qAsConst(_interfaceElements)) {
        const auto found = positions.constFind(element->dataElementKey());
        if (found == positions.cend())
            continue;
        element->setValue(file.elements.at(found->constFirst()).data);
        _deviceValues.insert(element->id(), element->value());
        for (int extra = 1; extra < found->size(); ++extra)
            qWarning().nospace() << "Found extra elements with ID[" << element->id() << "] at [" << found->at(extra)
                                 << "]";
    }
}

void GuiQmlHandler::onFileWithDataElementsReceived(vp::FileWithDataElementsReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), true))
        return;
    const int type = int(message->fileType);
    const bool forStateCopy = _currentTask && _currentTask->type() == GetSettingsForStateCopy;
    if (!message->isValid) {
        qDebug() << "Errors while receive File with data elements!";
        if (forStateCopy)
            _appendTask(MakeStateCopy, { QVariant::fromValue(v_protocol::TFileWithDataElements()) });
    } else if (forStateCopy && type == 2) {
        _appendTask(MakeStateCopy, { QVariant::fromValue(message->file) });
    } else {
        switch (type) {
        case 1:
            applyDataElementsFile(message->file);
            _receivedFiles |= PersonalizationFile;
            achieveAction(UserAction::ReadPersonalization);
            if (_write.kind == VkInterfaceElement::PersonalizationInfo)
                endWrite(true);
            emit loadDataToInterface(VkInterfaceElement::PersonalizationInfo);
            break;
        case 2:
            applyDataElementsFile(message->file);
            _receivedFiles |= SettingsFile;
            achieveAction(UserAction::ReadSettings);
            if (_write.kind == VkInterfaceElement::SlaveSetting)
                endWrite(true);
            emit loadDataToInterface(VkInterfaceElement::SlaveSetting);
            break;
        case 3:
            applyDataElementsFile(message->file);
            _receivedFiles |= StateFile;
            emit loadDataToInterface(VkInterfaceElement::SlaveState);
            break;
        default: qDebug() << "Unsupported file type: " << type;
        }
    }
    passIfCurrent(TaskEnd::DataElements);
}

void GuiQmlHandler::onFileWithDataElementsTransmitted(vp::FileWithDataElementsTransmittedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), true))
        return;
    if (!message->isValid) {
        _makeTaskErrorMessage();
        endWrite(false);
    } else if (_currentTask) {
        _write.sent = true;
        achieveAction(_currentTask->type() == SavePersonalization ? UserAction::SavePersonalization
                                                                   : UserAction::SaveSettings);
        achieveAction(UserAction::ApplyFile);
    }
    passIfCurrent(TaskEnd::DataElementsSent);
}

void GuiQmlHandler::onFileTableReceived(vp::FileTableReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (message->isValid) {
        _fileTable = v_protocol::TFileTable();
        if (!message->file.elements.isEmpty()) {
            _fileTable = message->file;
            for (const v_protocol::TFileTable::Element &entry : qAsConst(_fileTable.elements))
                publishMessage(new vp::CmdGetFileName(deviceKey(), entry.fileId));
        }
    } else {
        qDebug() << "Errors while receive FileInfo!";
    }
    passIfCurrent(TaskEnd::FileTable);
}

void GuiQmlHandler::onFileNameReceived(vp::FileNameReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (!message->isValid) {
        qDebug() << "Invalid to receive file name";
        return;
    }
    qDebug() << "File name received: " << QJsonDocument(message->toJson()).toJson(QJsonDocument::Compact);
    const int fileId = message->fileName.fileId;
    for (const v_protocol::TFileTable::Element &entry : qAsConst(_fileTable.elements)) {
        if (entry.fileId != fileId)
            continue;
        // A second answer for the same file replaces the first element.
        if (VkFileInfoElement *previous = _fileElements.take(fileId))
            previous->deleteLater();
        auto *element = new VkFileInfoElement(entry, withoutNul(message->fileName.fileName), this);
        _fileElements.insert(fileId, element);
        if (!_fileElements.isEmpty())
            emit appCoreDeviceFilesVisible(true);
        emit appCoreAddDeviceFileElement(element, isRootUser());
        return;
    }
    qDebug() << "Invalid file element for fileId:" << fileId;
}

void GuiQmlHandler::onRawFileReceived(vp::RawFileReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    passIfCurrent(TaskEnd::RawFile);
    if (message->isValid)
        saveRawFile(message->fileId, message->file);
    else
        _makeTaskErrorMessage();
}

void GuiQmlHandler::onFileClearDone(vp::FileClearDoneMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    const bool current = _currentTask && _currentTask->type() == ClearRawFile;
    passIfCurrent(TaskEnd::FileCleared);
    if (!message->isValid) {
        _makeTaskErrorMessage();
        qDebug() << "Invalid to clear file";
    } else if (current) {
        achieveAction(UserAction::ClearFile);
    }
}

void GuiQmlHandler::onRawFileTransmitted(vp::RawFileTransmittedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (_currentTask && _currentTask->type() == SendFirmwareRawFile) {
        if (message->isValid) {
            achieveAction(UserAction::FirmwareUpdate);
            disconnectRoutine();
            showNotice(tr("Info"),
                tr("Firmware update finished successfully.\nWait several seconds and may connect to updated device"));
        } else {
            _makeTaskErrorMessage();
            disconnectRoutine();
        }
    }
    passIfCurrent(TaskEnd::FirmwareSent);
}

// Progress, debug output, commands, errors.

void GuiQmlHandler::onDeviceRoutineProgressText(dm::DeviceRoutineProgressTextMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), false))
        return;
    if (!currentRow() || !currentRow()->has(TaskRow::ReportsProgress)) {
        qDebug() << "Unexpected task: " << (_currentTask ? taskTypeName(_currentTask->type()) : QString());
        return;
    }
    // A transfer that reports progress is alive: it gets its full time again.
    _currentTask->restartTimeout();
    if (_currentTask->isSilent())
        return;
    QString text = message->title.isEmpty() ? trText(message->titleIndex) : message->title;
    if (message->percentage >= 0) {
        text += QStringLiteral(" %1%").arg(message->percentage);
        emit appCoreProgressPercentage(message->percentage);
    }
    emit appCoreProgressText(text);
    emit appCoreShowProgressDialog(true);
}

void GuiQmlHandler::onDebugResponseReceived(vp::DebugResponseReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), true))
        return;
    if (message->isValid) {
        QStringList lines;
        QStringList dialogs;
        _debugConsole.takeResponse(QString::fromUtf8(message->debugResponse.debugData), lines, dialogs);
        for (const QString &dialog : qAsConst(dialogs))
            showNotice(QStringLiteral("info"), dialog);
        for (const QString &line : qAsConst(lines))
            appendDebugText(line);
    } else {
        qDebug() << "Invalid to receive file";
    }
    passIfCurrent(TaskEnd::DebugResponse);
}

void GuiQmlHandler::onCommandConfirmReceived(vp::CommandConfirmReceivedMessage message)
{
    if (!acceptDeviceMessage(message, message ? message->deviceEntry : device_manager::DeviceEntry(), true))
        return;
    const v_protocol::TCommandConfirm &confirm = message->commandConfirm;
    if (message->isValid) {
        if (confirm.cmdRes == v_protocol::TCommandResult::Error
            || confirm.cmdRes == v_protocol::TCommandResult::Unknown) {
            if (_currentTask && _currentTask->isSilent()) {
                qDebug() << "Command execution error: " << confirm.cmdId;
            } else {
                const QString text = tr("Command [%1] execution error").arg(confirm.cmdId);
                failAction(Outcome::RefusedByDevice, text);
                showWarning(tr("Warning"), text);
            }
        } else if (_currentTask && _currentTask->type() == ExecuteCommand) {
            achieveAction(UserAction::RunCommand);
        }
    } else {
        _makeTaskErrorMessage();
    }
    passIfCurrent(TaskEnd::CommandConfirm);
}

void GuiQmlHandler::onErrorHappend(sy::ErrorHappendMessage message)
{
    if (!message) {
        qWarning() << "Invalid message";
        return;
    }
    const auto textOf = [&message](device_manager::TrStrings index) {
        if (!device_manager::hasIndex(index))
            return trText(device_manager::TrStrings::NoIndex);
        if (message->submoduleId == SubmoduleIds::DeviceManager)
            return trText(index);
        qWarning() << "Unexpected SubmoduleId: " << toText(message->submoduleId);
        return trText(device_manager::TrStrings::NoIndex);
    };
    const QString title = message->title.isEmpty() ? textOf(message->titleIndex) : message->title;
    const QString text = message->text.isEmpty() ? textOf(message->textIndex) : message->text;
    // The core's own errors were told to the action when they were published.
    failAction(message->submoduleId == SubmoduleIds::DeviceManager ? outcomeOfDeviceError(message->textIndex)
                                                                   : Outcome::Failed,
        text);
    disconnectRoutine();
    resetDisconnectedState();
    showDialog(title, text);
    appendDebugText(kAppPrefix + title + QStringLiteral(": ") + text + QLatin1Char('\n'));
}

void GuiQmlHandler::onDebugHappend(sy::DebugHappendMessage message)
{
    if (!message) {
        qWarning() << "Invalid message";
        return;
    }
    appendDebugText(kAppPrefix + message->title + QStringLiteral(": ") + message->text + QLatin1Char('\n'));
}

} // namespace configurator
