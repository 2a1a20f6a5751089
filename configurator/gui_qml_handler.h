#pragma once

#include "configurator/debug_console.h"
#include "configurator/vk_file_info_element.h"
#include "configurator/vk_interface_element.h"
#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_file_table.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>

class QFile;
class QTimer;

namespace utils {
class ApplicationTask;
}

namespace configurator {

// The application core: the one object the user interface talks to (the QML singleton AppCore) and
// a bus module that publishes device commands and handles device events. It lives in the GUI
// thread. Every user action that needs the device becomes a queued job (utils::ApplicationTask);
// jobs run strictly one after another, each bounded by its timer, and the bus results finish them.
//
// The implementation is spread over several files by concern: this class's QML slots and state
// (gui_qml_handler.cpp), the task engine (gui_qml_handler_engine.cpp), the job actions and chains
// (gui_qml_handler_tasks.cpp), the bus handlers and state resets (gui_qml_handler_events.cpp) and
// the device and firmware files (gui_qml_handler_files.cpp).
class GuiQmlHandler : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    enum EStandardCommands {
        Unknown = 0,
        BootToBootloader = 1,
    };
    Q_ENUM(EStandardCommands)

    enum FileReceivingFlag {
        None = 0,
        SlaveProfile = 1,
        PersonalizationFile = 2,
        SettingsFile = 4,
        StateFile = 8,
        AllFiles = 15,
        AllFilesForBootloader = 0,
    };
    Q_DECLARE_FLAGS(FileReceivingFlags, FileReceivingFlag)
    Q_FLAG(FileReceivingFlags)

    enum TAppTaskType {
        CheckAutoConnect = 0,
        ConnectToDevice = 1,
        MakeTimeSynchronization = 2,
        GetApplicationInfo = 3,
        GetFileInfo = 4,
        GetSlaveProfile = 5,
        GetSettings = 6,
        GetPersonalization = 7,
        GetState = 8,
        CheckDeviceInitializationDone = 9,
        GetDebug = 10,
        GetStateSilent = 11,
        SaveSettings = 12,
        SavePersonalization = 13,
        ExecuteCommand = 14,
        MakeDisconnect = 15,
        MakeSilentDisconnect = 16,
        WaitBootloaderConnectionDelay = 17,
        MakeBleAutoconnect = 18,
        CheckBootloaderConnected = 19,
        MakeBleDiscovery = 20,
        GetSettingsForStateCopy = 21,
        MakeStateCopy = 22,
        MakeBleDiscoveryForFirmwareUpdate = 23,
        CheckConnectedDeviceReadyForFirmwareUpdate = 24,
        MakeBleAutoconnectForFirmwareUpdate = 25,
        CheckBootloaderConnectedForFirmwareUpdate = 26,
        SendFirmwareRawFile = 27,
        GetRawFile = 28,
        ClearRawFile = 29,
    };
    Q_ENUM(TAppTaskType)

    // "TAppTaskType::CheckAutoConnect" ...; empty for a value outside the enumeration.
    static QString taskTypeName(int type);

    // The core of the process: created once (in the GUI thread, after the settings store) and
    // started at once: its timers exist and its handlers are subscribed when this returns.
    static GuiQmlHandler *createInstance();
    static GuiQmlHandler *instance();

    ~GuiQmlHandler() override;

    Q_INVOKABLE QString appCoreGetResourcePrefix() const;
    Q_INVOKABLE bool appCoreIsRuSupported() const { return false; }
    Q_INVOKABLE bool appCoreIsEnSupported() const { return true; }
    Q_INVOKABLE bool appCoreIsLabelSquare() const { return false; }

    // Read-only views for front ends and tests.
    bool isConnected() const { return _connected; }
    bool isBusyWithTasks() const { return _currentTask || !_taskQueue.isEmpty() || _taskInProgress; }
    const device_manager::DeviceDiscoveryInfo &currentDevice() const { return _currentDevice; }
    const v_protocol::TAuthResponse &authResponse() const { return _authResponse; }
    FileReceivingFlags receivedFiles() const { return _receivedFiles; }
    const QList<VkInterfaceElement *> &interfaceElements() const { return _interfaceElements; }
    const QList<VkInterfaceElement *> &appSettingsElements() const { return _appSettingsElements; }
    QList<VkFileInfoElement *> deviceFileElements() const { return _fileElements.values(); }
    // The devices the present (or last) discovery found, under the keys the device list shows them by.
    const QHash<QString, device_manager::DeviceDiscoveryInfo> &discoveredDevices() const { return _discoveredDevices; }
    QString debugText() const { return _debugConsole.fullText(); }
    QString firmwareFilePath() const { return _firmwareFilePath; }
    // The type of the job running now, or -1.
    int currentTaskType() const;
    // Whether every bus handler's subscription has been confirmed by the bus.
    bool isSubscribedToAll() const;

    // Test hook: the timeout of every job of `type` built from now on (a negative value restores the
    // catalogue's own).
    static void overrideTaskTimeout(TAppTaskType type, qint64 timeoutMs);

signals:
    void appCoreSetApplicationName(QString name);
    void appCoreBleDiscoveryStateChanged(bool enable);
    void appCoreBleDeviceDiscovered(QString name, QString uuid);
    void appCoreBleDeviceLost(QString uuid);
    void appCorePasswordRequest();
    void appCoreUpdateConnStatus(QString connStatus, bool connected, bool isApplication);
    void appCoreHeaderText(QString headerText);
    void addInterfaceElement(bool isRoot, VkInterfaceElement *element);
    void loadDataToInterface(int elementType);
    void clearInterface();
    void appCoreAddStandartCmd(int cmdId, QString name);
    void appCoreRemoveAllStandartCmd();
    void appCoreShowProgressDialog(bool isVisible);
    void appCoreProgressPercentage(int progressPercentage);
    void appCoreProgressText(QString progressText);
    void appCoreBusy(bool isBusy);
    void appCoreBusyText(QString busyText);
    void appCoreShowErrorDialog(QString dialogTitle, QString errorMessage);
    void appCoreDebugText(QString textMessage);
    void appCoreClearDebugText();
    void appCoreNeedToSelectFirmwareFile(QString directory, QString file);
    void appSaveStateCopyFile(QString path, QString file);
    void addAppSettingsElement(VkInterfaceElement *element);
    void appCoreDeviceFilesVisible(bool enabled);
    void appCoreClearDeviceFiles();
    void appCoreAddDeviceFileElement(VkFileInfoElement *info, bool isRoot);
    void appCoreClearFirmwareLocalFiles();
    void appCoreClearFirmwareServerFiles();
    void appCoreAddFirmwareLocalFile(QString name, QString version, QString date, QString path);
    void appCoreAddFirmwareServerFile(QString name, QString version, QString url);
    void appCoreCheckStartFirmwareUpdate(QString name, QString version, QString path);

public slots:
    void appStateChanged(Qt::ApplicationState state);
    void connectClicked();
    void appCoreConnectToBleDevice(QString uuid);
    void passwordEntered(QString pass);
    void passwordCancelled();
    void getSettingsClicked();
    void saveSettingsClicked();
    void getPersClicked();
    void savePersClicked();
    void executeCommand(int elementId);
    void executeApplicationCommand(int elementId);
    void executeStandardCommand(int commandId);
    void clearDebugTextClicked();
    void makeStateCopyClicked();
    void needToCopyStateFile(QString srcFilePath, QUrl destFileUrl);
    void addDebugLogMessage(QString text);
    void appCoreProcessFileWithFirmware(QString file);
    void deviceFileCmdToRead(int fileId);
    void deviceFileCmdToWrite(int fileId);
    void deviceFileCmdToClear(int fileId);
    void updateFirmwareRefreshLocalFiles();
    void updateFirmwareRefreshServerFiles();
    void updateFirmwareFileSelected(QString filePath);
    void removeFirmwareFile(QString filePath);

    // Bus handlers.
    void onDeviceDiscovered(event_topics::device_manager::DeviceManagerDeviceDiscoveredMessage message);
    void onDeviceAuthFailed(event_topics::device_manager::DeviceAuthFailedMessage message);
    void onDeviceAuthSuccessed(event_topics::device_manager::DeviceAuthSuccessedMessage message);
    void onDeviceDisconnected(event_topics::device_manager::DeviceDisconnectedMessage message);
    void onDeviceInterfaceCreated(event_topics::interface_manager::DeviceInterfaceCreatedMessage message);
    void onDeviceInterfacePluggetOut(event_topics::interface_manager::DeviceInterfacePluggetOutMessage message);
    void onApplicationInfoFileReceived(event_topics::v_protocol::ApplicationInfoFileReceivedMessage message);
    void onSlaveProfileReceived(event_topics::v_protocol::SlaveProfileReceivedMessage message);
    void onFileWithDataElementsReceived(event_topics::v_protocol::FileWithDataElementsReceivedMessage message);
    void onFileWithDataElementsTransmitted(event_topics::v_protocol::FileWithDataElementsTransmittedMessage message);
    void onFileTableReceived(event_topics::v_protocol::FileTableReceivedMessage message);
    void onFileNameReceived(event_topics::v_protocol::FileNameReceivedMessage message);
    void onRawFileReceived(event_topics::v_protocol::RawFileReceivedMessage message);
    void onFileClearDone(event_topics::v_protocol::FileClearDoneMessage message);
    void onRawFileTransmitted(event_topics::v_protocol::RawFileTransmittedMessage message);
    void onDeviceRoutineProgressText(event_topics::device_manager::DeviceRoutineProgressTextMessage message);
    void onDebugResponseReceived(event_topics::v_protocol::DebugResponseReceivedMessage message);
    void onCommandConfirmReceived(event_topics::v_protocol::CommandConfirmReceivedMessage message);
    void onErrorHappend(event_topics::system::ErrorHappendMessage message);
    void onDebugHappend(event_topics::system::DebugHappendMessage message);

    // Module hooks: timers and subscriptions; unsubscribing and dropping the elements.
    void afterThreadStarted();
    void beforeThreadStopped();

private slots:
    // Task engine.
    void _appendTask(TAppTaskType type, QVariantList extraArgs, bool prepend = false);
    void _processTask(TAppTaskType type);
    void _checkTaskRoutine();
    void _checkAndStartTaskRoutine();
    void _passCurrentTask();
    void _allTaskDone();
    void _taskTimeout(QString message);
    void _skipAllTasks();
    void _taskCompleted(int type);
    void _makeTaskErrorMessage();

    // Job actions, one per job type.
    void _taskCheckAutoConnect();
    void _taskConnectToDevice();
    void _taskMakeTimeSynchronization();
    void _taskGetApplicationInfo();
    void _taskGetFileInfo();
    void _taskGetSlaveProfile();
    void _taskGetSettings();
    void _taskGetPersonalization();
    void _taskGetState();
    void _taskCheckDeviceInitializationDone();
    void _taskGetDebug();
    void _taskGetStateSilent();
    void _taskSaveSettings();
    void _taskSavePersonalization();
    void _taskExecuteCommand();
    void _taskMakeDisconnect();
    void _taskMakeSilentDisconnect();
    void _taskWaitBootloaderConnectionDelay();
    void _taskMakeBleAutoconnect();
    void _taskCheckBootloaderConnected();
    void _taskMakeBleDiscovery();
    void _taskGetSettingsForStateCopy();
    void _taskMakeStateCopy();
    void _taskMakeBleDiscoveryForFirmwareUpdate();
    void _taskCheckConnectedDeviceReadyForFirmwareUpdate();
    void _taskMakeBleAutoconnectForFirmwareUpdate();
    void _taskCheckBootloaderConnectedForFirmwareUpdate();
    void _taskSendFirmwareRawFile();
    void _taskGetRawFile();
    void _taskClearRawFile();

    void _onUiLoaded();
    void _onUpdateStateTimeout();
    void _onInactivityTimeout();
    void _onSettingChanged();
    void _processReceivedFile(QString filePath);
    void _bootToBootloaderStart();
    void _bootToBootloaderForFirmwareUpdate();

private:
    GuiQmlHandler();

    // Publishing: negative results are logged ("Bad result: ").
    void publishMessage(event_topics::IMessage *message);
    void showWarning(const QString &title, const QString &text);
    void publishError(const QString &title, const QString &text);
    void publishDebug(const QString &title, const QString &text);

    device_manager::DeviceEntry deviceKey() const { return { _currentDevice.deviceInfo.Serial }; }
    int applicationType() const { return int(_authResponse.appType); }
    bool isApplicationRunning() const { return applicationType() == 1 || applicationType() == 2; }
    bool isReadable() const;
    bool isRootUser() const { return _authResponse.authResult == v_protocol::TAuthResult::SuccessRoot; }
    bool hasDisconnectableDevice() const;

    // "pass if": ends the current job when it is one of `types`, otherwise logs why not.
    void passIfCurrent(std::initializer_list<TAppTaskType> types);
    // The current job when it is of `type`, logging the unexpected case otherwise.
    utils::ApplicationTask *currentTaskOf(TAppTaskType type);
    // The common checks of device-bound handlers: the device is the current one (and connected when
    // `connectedOnly`).
    bool acceptDeviceMessage(const QSharedPointer<const event_topics::IMessage> &message,
        const device_manager::DeviceEntry &entry, bool connectedOnly);

    // The password in use, also given to the device record; a BLE link gets a fresh uuid to be made
    // under.
    void storePassword(const QString &password);
    void disconnectRoutine();
    void reportRefusedAuthentication(v_protocol::TAuthResult result);
    // Emits the dialog signal (every dialog of the core goes through here).
    void showDialog(const QString &title, const QString &text);
    void requestDataElementsFile(v_protocol::TMandatoryFileTypes fileType);
    void sendDataElementsFile(VkInterfaceElement::ETypes kind, v_protocol::TMandatoryFileTypes fileType);
    void startDeviceListDiscovery();
    void appendBootChain(TAppTaskType autoconnect, TAppTaskType check);
    // The error of a firmware file that cannot be opened.
    void reportUnreadableFirmware(const QFile &file);
    // Reads the selected firmware file whole; false (the user told why) when it cannot be sent.
    bool readFirmwareImage(QByteArray &image);
    void makeStateCopy(const v_protocol::TFileWithDataElements &deviceSettings);
    void resetForNewDevice();
    void resetDisconnectedState();
    void updateHeaderLine();
    void buildApplicationSettings();
    void firstActivation();
    void appendDebugText(const QString &text);
    void appendConnectChain();
    void startDiscovery();
    void stopDiscovery();
    void deleteInterfaceElements();
    void deleteFileElements();
    void applyDataElementsFile(const v_protocol::TFileWithDataElements &file);
    void startFirmwareChainFor(const QString &filePath);
    void saveRawFile(quint8 fileId, const QByteArray &bytes);

    device_manager::DeviceDiscoveryInfo _currentDevice;
    bool _connected = false;
    v_protocol::TAuthResponse _authResponse;
    v_protocol::TApplicationInfoFile _applicationInfo;
    FileReceivingFlags _receivedFiles;
    QString _password;

    utils::ApplicationTask *_currentTask = nullptr;
    QList<utils::ApplicationTask *> _taskQueue;
    bool _taskInProgress = false;
    bool _silentDisconnect = false;
    // The core itself asked for the present disconnection (user, error, inactivity, firmware).
    bool _disconnectRequested = false;
    // A dialog was shown since the engine last started work from idle.
    bool _dialogShownInWork = false;
    QTimer *_updateStateTimer = nullptr;
    QTimer *_inactivityTimer = nullptr;
    bool _activated = false;

    QList<VkInterfaceElement *> _interfaceElements;
    QList<VkInterfaceElement *> _appSettingsElements;
    v_protocol::TFileTable _fileTable;
    QMap<int, VkFileInfoElement *> _fileElements;
    QHash<QString, device_manager::DeviceDiscoveryInfo> _discoveredDevices;

    QList<event_topics::TopicEntry> _subscriptions;
    quint64 _lastLoggedSerial = 0;
    DebugConsole _debugConsole;
    QString _firmwareFilePath;
};

} // namespace configurator

Q_DECLARE_OPERATORS_FOR_FLAGS(configurator::GuiQmlHandler::FileReceivingFlags)
