// The device side as one: the real bus, device manager, discovery manager and interface manager on
// simulated devices, driven only through bus messages as the application core drives them. A whole
// session (discover, connect, read every file, write settings, run a command, read and clear a raw
// file, read debug output, disconnect), each result checked against the device; then the same
// requests under every failure a device can show: each request still hears back exactly once, and a
// new connection works afterwards.
#include "device_side.h"

#include "simulator/failure_mode.h"

#include <QtTest>

using namespace device_testing;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DeviceEntry;
using device_manager::TrStrings;
using simulator::DeviceDefinition;
using v_protocol::TMandatoryFileTypes;

namespace {

// Answer timers of the sessions: short for the failure runs, where many requests time out.
constexpr device_manager::VkDevice::TaskTimeouts kCleanTimeouts { 10000, 10000 };
constexpr device_manager::VkDevice::TaskTimeouts kFailureTimeouts { 250, 400 };

template<class T> T decoded(simulator::DeviceEngine &engine, quint8 fileId);

template<> v_protocol::TFileWithDataElements decoded(simulator::DeviceEngine &engine, quint8 fileId)
{
    v_protocol::TFileWithDataElements file;
    return_codes::logIfError(v_protocol::TFileWithDataElements::fromByteArray(fileId, engine.fileImage(fileId), file));
    return file;
}

// An editable unsigned setting of the settings file set to another value in its range; false when the
// device has none.
bool changeOneSetting(const DeviceDefinition &device, v_protocol::TFileWithDataElements &settings, quint16 &changedId)
{
    for (auto &element : settings.elements) {
        const simulator::ProfileEntry *entry = device.application.profileEntry(element.id);
        if (!entry)
            continue;
        const auto &profile = entry->element;
        if (profile.type != v_protocol::TSlaveProfile::Types::SlaveSetting
            || profile.editable != v_protocol::TSlaveProfile::Editables::Editable
            || profile.dataType != v_protocol::TSlaveProfile::DataTypes::TUinteger || profile.max <= profile.min
            || element.data.size() < 2)
            continue;
        const quint16 current = quint16(quint8(element.data[0]) | quint8(element.data[1]) << 8);
        const quint16 wanted = quint16(current == quint16(profile.min) ? profile.min + 1 : profile.min);
        element.data[0] = char(wanted & 0xff);
        element.data[1] = char(wanted >> 8);
        changedId = element.id;
        return true;
    }
    return false;
}

} // namespace

class TestDeviceSideFlow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void wholeSessionThroughTheBus_data();
    void wholeSessionThroughTheBus();
    void everyRequestHearsBackUnderFailure_data();
    void everyRequestHearsBackUnderFailure();

private:
    DeviceSide _side;
};

void TestDeviceSideFlow::cleanup()
{
    _side.stop();
}

void TestDeviceSideFlow::wholeSessionThroughTheBus_data()
{
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<int>("rawFileId");
    QTest::addColumn<int>("commandId");
    QTest::newRow("fm200, flat profile") << QStringLiteral("fm200") << 17 << 301;
    QTest::newRow("gw4, hierarchical profile") << QStringLiteral("gw4") << 30 << 51;
}

void TestDeviceSideFlow::wholeSessionThroughTheBus()
{
    QFETCH(QString, deviceId);
    QFETCH(int, rawFileId);
    QFETCH(int, commandId);
    const DeviceDefinition &device = shippedDevice(deviceId);
    const simulator::FirmwareDefinition &firmware = device.application;
    QVERIFY(_side.start(shippedDevices(), kCleanTimeouts));
    DeviceBusProbe &probe = *_side.probe;
    const DeviceEntry entry { device.serial };

    // Discovery reports the device as it advertises itself.
    const std::optional<DeviceDiscoveryInfo> discovered = _side.discover(device);
    QVERIFY(discovered);
    QCOMPARE(discovered->deviceInfo.Name, firmware.name);
    QCOMPARE(discovered->deviceInfo.ModelId, device.modelId);
    QCOMPARE(discovered->deviceInfo.HardwareVersion, device.hardwareVersion);

    // Connect: an interface with the link's packet size, a session, access for the root password.
    const auto auth = _side.connect(*discovered, device.rootPassword);
    QVERIFY(auth);
    QCOMPARE(auth->deviceEntry, entry);
    QCOMPARE(auth->authResponse.authResult, v_protocol::TAuthResult::SuccessRoot);
    QCOMPARE(auth->authResponse.maxPacketSize, firmware.maxPacketSize);
    QCOMPARE(probe.count<dm::DeviceCreated>(), 1);
    QCOMPARE(_side.interfaceOf(device.serial).maximumPacketSize, device.link.maximumPacketSize());

    // Application info.
    const auto info = _side.request<vp::ApplicationInfoFileReceived>(
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::ApplicationInfoFile));
    QVERIFY(info && info->isValid);
    QCOMPARE(info->deviceEntry, entry);
    QCOMPARE(info->file.Name, firmware.name);
    QCOMPARE(info->file.ModelId, device.modelId);
    QCOMPARE(info->file.FirmwareVersion, firmware.version);

    // File table: every listed file of the device, then each file's name.
    const auto table
        = _side.request<vp::FileTableReceived>(new vp::CmdFileRequested(entry, TMandatoryFileTypes::FileInfo));
    QVERIFY(table && table->isValid);
    QList<quint8> tableIds;
    for (const auto &element : table->file.elements)
        tableIds << element.fileId;
    for (const simulator::FileDefinition &file : firmware.files) {
        QCOMPARE(tableIds.contains(file.fileId), file.listed);
        if (!file.listed)
            continue;
        const auto name = _side.request<vp::FileNameReceived>(new vp::CmdGetFileName(entry, file.fileId));
        QVERIFY(name && name->isValid);
        QCOMPARE(name->fileName.fileId, file.fileId);
        QCOMPARE(name->fileName.fileName.section(QChar(0), 0, 0), file.name);
    }

    // Profile, settings, personalization, state.
    const auto profile
        = _side.request<vp::SlaveProfileReceived>(new vp::CmdFileRequested(entry, TMandatoryFileTypes::SlaveProfile));
    QVERIFY(profile && profile->isValid);
    QCOMPARE(profile->file.elements, firmware.slaveProfile().elements);
    for (const TMandatoryFileTypes fileType :
        { TMandatoryFileTypes::SettingsFile, TMandatoryFileTypes::PersonalizationFile }) {
        v_protocol::TFileWithDataElements expected;
        _side.withEngine(device, [&](simulator::DeviceEngine &engine) {
            expected = decoded<v_protocol::TFileWithDataElements>(engine, quint8(fileType));
        });
        const auto file = _side.request<vp::FileWithDataElementsReceived>(new vp::CmdFileRequested(entry, fileType));
        QVERIFY(file && file->isValid);
        QCOMPARE(file->fileType, fileType);
        QCOMPARE(file->file.elements, expected.elements);
    }
    const auto state = _side.request<vp::FileWithDataElementsReceived>(
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::StateFile));
    QVERIFY(state && state->isValid);
    QCOMPARE(state->fileType, TMandatoryFileTypes::StateFile);
    QVERIFY(!state->file.elements.isEmpty());
    for (const auto &element : state->file.elements) {
        const simulator::ProfileEntry *entryOfValue = firmware.profileEntry(element.id);
        QVERIFY(entryOfValue);
        QCOMPARE(entryOfValue->element.type, v_protocol::TSlaveProfile::Types::SlaveState);
    }

    // Settings written back with one value changed: the device takes it, a new read shows it.
    v_protocol::TFileWithDataElements settings = probe.all<vp::FileWithDataElementsReceived>().first()->file;
    quint16 changedId = 0;
    const bool changed = changeOneSetting(device, settings, changedId);
    const auto written = _side.request<vp::FileWithDataElementsTransmitted>(
        new vp::CmdToSendFileWithDataElements(entry, TMandatoryFileTypes::SettingsFile, settings));
    QVERIFY(written && written->isValid);
    QCOMPARE(written->fileType, TMandatoryFileTypes::SettingsFile);
    if (changed) {
        QByteArray value;
        _side.withEngine(device, [&](simulator::DeviceEngine &engine) { value = engine.value(changedId); });
        for (const auto &element : settings.elements) {
            if (element.id == changedId)
                QCOMPARE(value, element.data);
        }
    }
    const auto reread = _side.request<vp::FileWithDataElementsReceived>(
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::SettingsFile));
    QVERIFY(reread && reread->isValid);
    QCOMPARE(reread->file.elements, settings.elements);

    // A command of the device.
    const auto confirm = _side.request<vp::CommandConfirmReceived>(new vp::CmdSendCommand(entry,
        v_protocol::TCommandRequest { v_protocol::TPayloadType::CommandRequest, quint16(commandId), QByteArray() }));
    QVERIFY(confirm && confirm->isValid);
    QCOMPARE(confirm->commandConfirm.cmdId, quint16(commandId));
    QCOMPARE(confirm->commandConfirm.cmdRes, v_protocol::TCommandResult::Success);

    // A raw file, read and cleared.
    QByteArray rawImage;
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) { rawImage = engine.fileImage(quint8(rawFileId)); });
    QVERIFY(!rawImage.isEmpty());
    const auto raw = _side.request<vp::RawFileReceived>(new vp::CmdGetRawFile(entry, quint8(rawFileId), false));
    QVERIFY(raw && raw->isValid);
    QCOMPARE(raw->fileId, quint8(rawFileId));
    QCOMPARE(raw->file, rawImage);
    const auto cleared = _side.request<vp::FileClearDone>(new vp::CmdFileClear(entry, quint8(rawFileId)));
    QVERIFY(cleared && cleared->isValid);
    QCOMPARE(cleared->fileId, quint8(rawFileId));
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) { rawImage = engine.fileImage(quint8(rawFileId)); });
    QVERIFY(rawImage.isEmpty());

    // Debug output: the command's note comes out.
    const simulator::CommandDefinition *command = firmware.command(quint16(commandId));
    QVERIFY(command && !command->debug.isEmpty());
    QString debugText;
    for (int i = 0; i < 20 && !debugText.contains(command->debug); ++i) {
        const auto debug = _side.request<vp::DebugResponseReceived>(new vp::CmdDebugRequsted(entry, true));
        QVERIFY(debug && debug->isValid);
        debugText += QString::fromUtf8(debug->debugResponse.debugData);
    }
    QVERIFY2(debugText.contains(command->debug), qPrintable(debugText));

    // Transfers report their progress; nothing went wrong on the way.
    QVERIFY(probe.count<dm::DeviceRoutineProgressText>() > 0);
    QCOMPARE(probe.count<sy::ErrorHappend>(), 0);

    // Disconnect: the session goes, its interface is closed and the device's link is down.
    const device_manager::DeviceInterfaceInfo interfaceInfo = _side.interfaceOf(device.serial);
    QVERIFY(_side.disconnect(device.serial));
    QVERIFY(probe.barrier());
    QCOMPARE(probe.count<dm::DeviceDisconnected>(), 1);
    QCOMPARE(probe.last<dm::DeviceDisconnected>()->device, entry);
    QCOMPARE(probe.count<im::CmdCloseInterface>(), 1);
    QCOMPARE(probe.last<im::CmdCloseInterface>()->interfaceInfo, interfaceInfo);
    QCOMPARE(probe.last<im::DeviceInterfacePluggetOut>()->interfaceInfo, interfaceInfo);
    bool linkUp = true;
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) { linkUp = engine.isLinkUp(); });
    QVERIFY(!linkUp);
    QCOMPARE(probe.count<sy::ErrorHappend>(), 0);
}

void TestDeviceSideFlow::everyRequestHearsBackUnderFailure_data()
{
    QTest::addColumn<simulator::FailureMode>("mode");
    for (const simulator::FailureMode mode : simulator::allFailureModes())
        QTest::newRow(qPrintable(simulator::toText(mode))) << mode;
}

void TestDeviceSideFlow::everyRequestHearsBackUnderFailure()
{
    QFETCH(simulator::FailureMode, mode);
    const DeviceDefinition &device = shippedDevice(QStringLiteral("fm200"));
    QVERIFY(_side.start(shippedDevices(), kFailureTimeouts, false));
    DeviceBusProbe &probe = *_side.probe;
    const DeviceEntry entry { device.serial };
    simulator::FailureInjection failure = simulator::FailureInjection::of(mode);
    failure.delayUs = 1000 * 1000; // beyond the short answer timers
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) { engine.setFailure(failure); });

    const std::optional<DeviceDiscoveryInfo> discovered = _side.discover(device);
    QVERIFY(discovered);
    _side.connect(*discovered, device.rootPassword);
    // The authentication heard back (a lockout after it is one more report).
    QVERIFY(probe.count<dm::DeviceAuthSuccessed>() + probe.count<dm::DeviceAuthFailed>() > 0);

    // The requests of a session, one after the other as the core sends them, until the device is gone.
    QHash<QString, int> asked;
    const auto ask = [&](auto result, event_topics::IMessage *command) {
        using Result = typename decltype(result)::element_type;
        if (probe.count<dm::DeviceDisconnected>() > 0) {
            delete command;
            return;
        }
        ++asked[Result::topic().name()];
        _side.request<Result>(command);
    };
    using std::shared_ptr;
    ask(shared_ptr<vp::ApplicationInfoFileReceived>(),
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::ApplicationInfoFile));
    ask(shared_ptr<vp::FileTableReceived>(), new vp::CmdFileRequested(entry, TMandatoryFileTypes::FileInfo));
    ask(shared_ptr<vp::SlaveProfileReceived>(), new vp::CmdFileRequested(entry, TMandatoryFileTypes::SlaveProfile));
    ask(shared_ptr<vp::FileWithDataElementsReceived>(),
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::SettingsFile));
    v_protocol::TFileWithDataElements settings;
    _side.withEngine(device, [&](simulator::DeviceEngine &engine) {
        settings = decoded<v_protocol::TFileWithDataElements>(engine, quint8(TMandatoryFileTypes::SettingsFile));
    });
    ask(shared_ptr<vp::FileWithDataElementsTransmitted>(),
        new vp::CmdToSendFileWithDataElements(entry, TMandatoryFileTypes::SettingsFile, settings));
    ask(shared_ptr<vp::CommandConfirmReceived>(),
        new vp::CmdSendCommand(entry, { v_protocol::TPayloadType::CommandRequest, 301, QByteArray() }));
    ask(shared_ptr<vp::RawFileReceived>(), new vp::CmdGetRawFile(entry, 17, false));
    ask(shared_ptr<vp::RawFileReceived>(), new vp::CmdGetRawFile(entry, 20, true));
    ask(shared_ptr<vp::FileNameReceived>(), new vp::CmdGetFileName(entry, 17));
    ask(shared_ptr<vp::FileClearDone>(), new vp::CmdFileClear(entry, 17));
    ask(shared_ptr<vp::DebugResponseReceived>(), new vp::CmdDebugRequsted(entry, true));
    ask(shared_ptr<vp::RawFileTransmitted>(), new vp::CmdSendRawFile(entry, 21, QByteArray(64, '\x5a')));

    // Exactly one result per request: none lost, none twice (also not after the answer timers).
    QVERIFY(probe.barrier());
    for (auto it = asked.cbegin(); it != asked.cend(); ++it) {
        int results = 0;
        for (const event_topics::PMessage &message : probe.messages)
            results += message->getTopicEntry().name() == it.key();
        QVERIFY2(results == it.value(),
            qPrintable(QStringLiteral("%1: %2 results for %3 requests").arg(it.key()).arg(results).arg(it.value())));
    }
    QVERIFY(asked.value(QStringLiteral("ApplicationInfoFileReceived")) == 1);

    // Usable afterwards: a new connection to the healed device works.
    if (probe.count<dm::DeviceDisconnected>() == 0)
        QVERIFY(_side.disconnect(device.serial));
    _side.withEngine(device, [](simulator::DeviceEngine &engine) { engine.clearFailure(); });
    // The new session waits for its answers as long as a healthy one may need.
    device_manager::VkDevice::setDefaultTaskTimeouts(kCleanTimeouts);
    const auto auth = _side.connect(*discovered, device.rootPassword);
    QVERIFY(auth);
    QCOMPARE(auth->authResponse.authResult, v_protocol::TAuthResult::SuccessRoot);
    const auto info = _side.request<vp::ApplicationInfoFileReceived>(
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::ApplicationInfoFile));
    QVERIFY(info && info->isValid);
    QCOMPARE(info->file.Name, device.application.name);
}

QTEST_GUILESS_MAIN(TestDeviceSideFlow)
#include "tst_device_side_flow.moc"
