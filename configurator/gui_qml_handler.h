#pragma once

#include "configurator/config_comparison.h"
#include "configurator/debug_console.h"
#include "configurator/device_history.h"
#include "configurator/vk_file_info_element.h"
#include "configurator/vk_interface_element.h"
#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/tr_strings.h"
#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_file_table.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>

#include <optional>
#include <tuple>

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
    // What the views show, as properties to bind to. The signals that carry the same state are still
    // emitted for whoever listens to them.
    Q_PROPERTY(QString applicationName READ applicationName NOTIFY applicationNameChanged)
    Q_PROPERTY(bool connected READ isConnectionShown NOTIFY connectionChanged)
    Q_PROPERTY(bool isApplication READ isApplicationShown NOTIFY connectionChanged)
    Q_PROPERTY(int applicationType READ applicationType NOTIFY connectionChanged)
    Q_PROPERTY(bool isRoot READ isRootUser NOTIFY connectionChanged)
    Q_PROPERTY(QString connStatus READ connStatus NOTIFY connectionChanged)
    Q_PROPERTY(QString headerText READ headerText NOTIFY headerTextChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(QString busyText READ busyText NOTIFY busyTextChanged)
    Q_PROPERTY(bool progressVisible READ isProgressVisible NOTIFY progressChanged)
    Q_PROPERTY(int progressPercent READ progressPercent NOTIFY progressChanged)
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressChanged)
    Q_PROPERTY(bool deviceFilesVisible READ areDeviceFilesVisible NOTIFY deviceFilesVisibleChanged)
    Q_PROPERTY(bool discovering READ isDiscovering NOTIFY discoveringChanged)
    // The serial number of the device connected last, in this run or an earlier one (empty: none).
    Q_PROPERTY(QString lastConnectedSerial READ lastConnectedSerial NOTIFY lastConnectedSerialChanged)

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

    // What the user asked of the core. Each such request ends with one appCoreActionFinished.
    enum class UserAction {
        None,
        Connect,
        ReadSettings,
        SaveSettings, // saved, applied (command 1029 when the profile has it) and read back
        ReadPersonalization,
        SavePersonalization,
        RunCommand,
        BootToBootloader,
        ReadFile,
        ClearFile,
        FirmwareUpdate,
        StateCopy,
        SaveToFile, // the device's configuration into a document
        LoadFromFile, // a document compared with the device
        ApplyFile, // the chosen rows of the comparison written, applied and read back
        ExportHistory,
        SaveDebugLog, // the console's lines into a text file of the reports folder, then opened
    };
    Q_ENUM(UserAction)

    // How a user action ended, for front ends to decide by (the dialog texts are for people).
    enum class Outcome {
        Ok,
        RefusedByDevice, // the device answered with an error or an invalid result
        AuthRefused, // the device refused the password
        DeviceBusy, // the device is busy or has too many connections
        NotFound, // the device, the command or the file was not there
        LinkLost, // the connection went down
        Timeout, // the device did not answer in time
        UnreadableFile, // a file handed to the program cannot be read or is not what it should be
        FileError, // a file of the program's own cannot be written
        NotConnected, // the action needs a connected device
        Cancelled, // the user gave up (device list, password)
        Failed, // anything else
    };
    Q_ENUM(Outcome)

    // How a job ends when a bus result ends it: a handler passes the current job when it waits for
    // the handler's result.
    enum class TaskEnd {
        Itself, // its action or its timer ends it
        Password,
        Authentication,
        CommandConfirm,
        ApplicationInfo,
        FileTable,
        SlaveProfile,
        DataElements,
        DataElementsSent,
        DebugResponse,
        Disconnected,
        DeviceSeen,
        DevicePicked,
        FirmwareSent,
        RawFile,
        FileCleared,
    };

    // Everything the engine knows of a job type (task_catalogue.h); null for a value outside the
    // enumeration.
    struct TaskRow;
    static const TaskRow *taskRow(int type);

    // The command the Settings page's Save runs after saving, so that the device applies its settings.
    static constexpr int kApplySettingsCommand = 1029;

    // "TAppTaskType::CheckAutoConnect" ...; empty for a value outside the enumeration.
    static QString taskTypeName(int type);

    // The core of the process: created once (in the GUI thread, after the settings store) and
    // started at once: its timers exist and its handlers are subscribed when this returns.
    static GuiQmlHandler *createInstance();
    static GuiQmlHandler *instance();

    ~GuiQmlHandler() override;

    Q_INVOKABLE QString appCoreGetResourcePrefix() const;
    // The interface language of this run (InterfaceLanguage): with Russian active, Russian is the one
    // supported and element names come from the device's Russian names; otherwise English alone.
    Q_INVOKABLE bool appCoreIsRuSupported() const;
    Q_INVOKABLE bool appCoreIsEnSupported() const;
    Q_INVOKABLE bool appCoreIsLabelSquare() const { return false; }

    // The properties.
    QString applicationName() const { return _view.applicationName; }
    bool isConnectionShown() const { return _view.connected; }
    bool isApplicationShown() const { return _view.isApplication; }
    int applicationType() const { return int(_authResponse.appType); }
    bool isRootUser() const { return _authResponse.authResult == v_protocol::TAuthResult::SuccessRoot; }
    QString connStatus() const { return _view.connStatus; }
    QString headerText() const { return _view.headerText; }
    bool isBusy() const { return _view.busy; }
    QString busyText() const { return _view.busyText; }
    bool isProgressVisible() const { return _view.progressVisible; }
    int progressPercent() const { return _view.progressPercent; }
    QString progressText() const { return _view.progressText; }
    bool areDeviceFilesVisible() const { return _view.deviceFilesVisible; }
    bool isDiscovering() const { return _view.discovering; }
    QString lastConnectedSerial() const { return _lastConnectedSerial; }

    // A device of the list not heard for this long is lost: forgotten, and appCoreBleDeviceLost.
    static constexpr int kDeviceLostAfterMs = 30000;
    int deviceLostAfterMs() const { return _deviceLostAfterMs; }
    // Tests shorten it.
    void setDeviceLostAfterMs(int ms);

    // Read-only views for front ends and tests.
    // A device was picked and its connection is not over (authenticated or on its way).
    bool isConnected() const { return _connected; }
    // Whether the profile of the connected device has the element.
    VkInterfaceElement *interfaceElement(int id) const;
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

    // Which front end drives the core ("window", "vk-config"), as the history records it.
    static void setFrontEnd(const QString &name);
    static QString frontEnd();

    // The comparison of the last document loaded with the device (empty before one was), its element
    // kind, and the changes written since the device was connected.
    const ConfigComparison &comparison() const { return _comparison; }
    int comparisonKind() const { return _comparisonKind; }
    // How many documents were loaded so far (a new comparison, not the old one after writing).
    int comparisonLoads() const { return _comparisonLoads; }
    const QList<DeviceHistory::Record> &sessionChanges() const { return _sessionChanges; }
    // The value the device held when it was last read (empty when it was not).
    QByteArray deviceValue(const VkInterfaceElement &element) const { return _deviceValues.value(element.id()); }

    // Test hook: the timeout of every job of `type` built from now on (a negative value restores the
    // catalogue's own).
    static void overrideTaskTimeout(TAppTaskType type, qint64 timeoutMs);

signals:
    void appCoreSetApplicationName(QString name);
    void appCoreBleDiscoveryStateChanged(bool enable);
    void appCoreBleDeviceDiscovered(QString name, QString uuid);
    void appCoreBleDeviceLost(QString uuid);
    // Every advertisement of a listed device (after its appCoreBleDeviceDiscovered): its serial
    // number in decimal and the signal strength it was received at, in dBm (0: not measured).
    void appCoreBleDeviceHeard(QString uuid, QString serial, int rssi);
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

    // A user action (UserAction) ended with an Outcome; `message` is what the user was told of a
    // failure (empty on success).
    void appCoreActionFinished(int action, int outcome, QString message);
    // A notice for the user that reports no failure (the device's own messages, a finished update): the
    // dialog shows it too.
    void appCoreNotice(QString title, QString text);
    // A document was loaded and compared (or the comparison's rows changed after applying).
    void appCoreComparisonChanged();
    // Records were added to the connected device's history.
    void appCoreHistoryChanged();

    void applicationNameChanged();
    void connectionChanged();
    void headerTextChanged();
    void busyChanged();
    void busyTextChanged();
    void progressChanged();
    void deviceFilesVisibleChanged();
    void discoveringChanged();
    void lastConnectedSerialChanged();

public slots:
    void appStateChanged(Qt::ApplicationState state);
    void connectClicked();
    void appCoreConnectToBleDevice(QString uuid);
    void passwordEntered(QString pass);
    void passwordCancelled();
    void getSettingsClicked();
    void saveSettingsClicked();
    // The Settings page's Save: save, apply (command 1029 when the profile has it), read back.
    void saveAndApplySettingsClicked();
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

    // Configuration documents (kind: the element kind of the page, SlaveSetting or PersonalizationInfo).
    // Writes the device's configuration as a document to a file path or URL.
    void saveConfigurationFile(QString pathOrUrl);
    // Reads a document and compares it with the values of `kind` on the device; nothing is written.
    void loadConfigurationFile(QString pathOrUrl, int kind);
    // Writes the rows `ids` of the comparison (rows that differ and fit): save, apply, read back.
    void applyComparison(QList<int> ids);
    // Writes the connected device's history as CSV.
    void exportHistory(QString pathOrUrl);
    // Writes the console's text (as the console model gives it, with times) to
    // "<reports>/DebugLog-<device>-<local time>.txt" and opens it as the state copy is opened.
    void saveDebugLogClicked(QString text);

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
    bool isApplicationRunning() const { return applicationType() == 1 || applicationType() == 2; }
    bool isReadable() const;
    bool hasDisconnectableDevice() const;

    // "pass if": ends the current job when it is one that `end` ends, otherwise logs why not.
    void passIfCurrent(TaskEnd end);
    // The catalogue's row of the current job, or null.
    const TaskRow *currentRow() const;

    // User actions and their outcomes (gui_qml_handler_actions.cpp). An action begins when the user
    // asks; the first failure met while it runs is its outcome; it ends when the engine is idle again.
    void beginAction(UserAction action);
    // An action that cannot start ends at once with `outcome`.
    void refuseAction(UserAction action, Outcome outcome, const QString &message = QString());
    void failAction(Outcome outcome, const QString &message);
    // The open actions of this kind reached what they were for.
    void achieveAction(UserAction action);
    void scheduleActionEnd();
    void endActions();
    // The outcome of an error the device side reported.
    static Outcome outcomeOfDeviceError(device_manager::TrStrings index);
    // The self-connections that keep the properties in step with the signals.
    void bindViewState();
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
    // A dialog that reports no failure.
    void showNotice(const QString &title, const QString &text);
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
    // Forgets the listed devices not heard for deviceLostAfterMs, each with appCoreBleDeviceLost.
    void forgetSilentDevices();
    void deleteInterfaceElements();
    void deleteFileElements();
    void applyDataElementsFile(const v_protocol::TFileWithDataElements &file);
    void startFirmwareChainFor(const QString &filePath);
    void saveRawFile(quint8 fileId, const QByteArray &bytes);
    // A save of `kind` is under way: what it writes and what the device held before.
    void beginWrite(VkInterfaceElement::ETypes kind);
    // The save ended (`sent`: the device took the file; `readBack`: the values were read again): the
    // history gets a record per changed element, the comparison the outcome of its rows.
    void endWrite(bool readBack);
    // The document loaded meanwhile, against the values just read.
    void compareLoadedDocument();
    void reportUnsavedFile(const QString &path, const QString &reason);

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
    QHash<int, QByteArray> _deviceValues;
    struct PendingWrite
    {
        bool active = false;
        bool sent = false;
        VkInterfaceElement::ETypes kind = VkInterfaceElement::SlaveSetting;
        // Element id, the bytes on the device before, the bytes written.
        QList<std::tuple<int, QByteArray, QByteArray>> changes;
    };
    PendingWrite _write;
    // The comparison's rows being written.
    QList<int> _applying;
    ConfigComparison _comparison;
    int _comparisonKind = VkInterfaceElement::SlaveSetting;
    int _comparisonLoads = 0;
    std::optional<ConfigDocument::Contents> _loadedDocument;
    QString _loadedPath;
    QList<DeviceHistory::Record> _sessionChanges;
    QList<VkInterfaceElement *> _appSettingsElements;
    v_protocol::TFileTable _fileTable;
    QMap<int, VkFileInfoElement *> _fileElements;
    QHash<QString, device_manager::DeviceDiscoveryInfo> _discoveredDevices;
    // When each of them was heard last, on _heardClock (ms).
    QHash<QString, qint64> _heardAtMs;
    QElapsedTimer _heardClock;
    QTimer *_silentDevicesTimer = nullptr;
    int _deviceLostAfterMs = kDeviceLostAfterMs;
    QString _lastConnectedSerial;

    struct OpenAction
    {
        UserAction action = UserAction::None;
        bool achieved = false;
    };
    QList<OpenAction> _openActions;
    Outcome _actionFailure = Outcome::Ok;
    QString _actionMessage;
    bool _actionEndPosted = false;

    // What the properties show.
    struct ViewState
    {
        QString applicationName;
        bool connected = false;
        bool isApplication = true;
        QString connStatus;
        QString headerText;
        bool busy = false;
        QString busyText;
        bool progressVisible = false;
        int progressPercent = 0;
        QString progressText;
        bool deviceFilesVisible = false;
        bool discovering = false;
    };
    ViewState _view;

    QList<event_topics::TopicEntry> _subscriptions;
    quint64 _lastLoggedSerial = 0;
    DebugConsole _debugConsole;
    QString _firmwareFilePath;
};

} // namespace configurator

Q_DECLARE_OPERATORS_FOR_FLAGS(configurator::GuiQmlHandler::FileReceivingFlags)
