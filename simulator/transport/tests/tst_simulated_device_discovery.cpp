// The simulated scanner against the shipped devices: what it reports, the second sighting rule,
// a new start, and a device that changes what it advertises while being scanned.
#include "device_manager/discovery/tests/scanner_thread.h"
#include "simulator/device_catalog.h"
#include "simulator/device_park.h"
#include "simulator/protocol_master.h"
#include "simulator/tests/sim_test_support.h"
#include "simulator/transport/simulated_device_discovery.h"
#include "testing/log_capture.h"

#include <QBluetoothAddress>
#include <QtTest>

using device_manager::DeviceDiscoveryInfo;
using scanner_test::Reports;
using scanner_test::ScannerThread;
using simulator::SimulatedDeviceDiscovery;

namespace {

constexpr int kWait = 30000;
constexpr std::chrono::milliseconds kFast { 20 };
constexpr std::chrono::hours kOnlyAtStart { 1 }; // every start sights each device once, then nothing

std::shared_ptr<simulator::DevicePark> shippedPark()
{
    return std::make_shared<simulator::DevicePark>(sim_test::shipped());
}

DeviceDiscoveryInfo lookupOf(const simulator::DeviceDefinition &definition)
{
    DeviceDiscoveryInfo info;
    info.interfaceInfo.type = device_manager::InterfaceType::BLE;
    info.deviceInfo.Serial = definition.serial;
    info.deviceInfo.ModelId = definition.modelId & 0xFF;
    return info;
}

} // namespace

class TestSimulatedDeviceDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reportsEveryDeviceAsItsDefinitionAdvertises();
    void firstSightingAfterEachStartIsSilent();
    void followsWhatADeviceAdvertisesNow();
};

void TestSimulatedDeviceDiscovery::initTestCase()
{
    qRegisterMetaType<DeviceDiscoveryInfo>();
}

void TestSimulatedDeviceDiscovery::reportsEveryDeviceAsItsDefinitionAdvertises()
{
    const auto park = shippedPark();
    ScannerThread scanner(new SimulatedDeviceDiscovery(park, kFast));
    QVERIFY(scanner.started());
    Reports reports(scanner.get());
    QCOMPARE(scanner->startDiscovery(), ReturnCode::Ok);

    for (const simulator::DeviceDefinition &definition : sim_test::shipped().definitions()) {
        QTRY_VERIFY_WITH_TIMEOUT(reports.lastOf(definition.serial).has_value(), kWait);
        const DeviceDiscoveryInfo report = *reports.lastOf(definition.serial);
        QCOMPARE(report.interfaceInfo.type, device_manager::InterfaceType::BLE);
        QVERIFY(report.interfaceInfo.uuid.isEmpty());
        QCOMPARE(report.interfaceInfo.maximumPacketSize, -1);
        QCOMPARE(report.deviceInfo.ModelId, quint16(definition.modelId & 0xFF));
        QCOMPARE(report.deviceInfo.HardwareVersion, definition.hardwareVersion);
        const simulator::FirmwareDefinition &firmware = definition.startFirmware();
        QCOMPARE(report.deviceInfo.Name, firmware.name);
        QCOMPARE(report.deviceInfo.FirmwareVersion, firmware.version);

        // What the simulated interface is given to find the device again.
        const QBluetoothDeviceInfo info = scanner->deviceInfoFor(report);
        QVERIFY(info.isValid());
        QCOMPARE(info.address().toString(), definition.address);
        QCOMPARE(info.name(), firmware.name);
        QCOMPARE(info.coreConfigurations(), QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
        QCOMPARE(info.manufacturerIds(), QList<quint16> { definition.companyId });
        QCOMPARE(info.manufacturerData(definition.companyId), definition.advertisement().manufacturerData);
        QCOMPARE(info.rssi(), definition.rssi);
        QCOMPARE(report.rssi, definition.rssi);
    }
    QVERIFY(scanner->isActive());
}

void TestSimulatedDeviceDiscovery::firstSightingAfterEachStartIsSilent()
{
    ScannerThread scanner(new SimulatedDeviceDiscovery(shippedPark(), kOnlyAtStart));
    QVERIFY(scanner.started());
    Reports reports(scanner.get());
    vk_testing::LogCapture capture;
    // Each start forgets what it saw, so the sighting of the second start is a first one again.
    for (int start = 0; start < 2; ++start) {
        scanner->startDiscovery();
        scanner.flush();
        QVERIFY(scanner->isActive());
        QCoreApplication::processEvents();
        QVERIFY(reports.list.isEmpty());
        for (const simulator::DeviceDefinition &definition : sim_test::shipped().definitions())
            QVERIFY(!scanner->deviceInfoFor(lookupOf(definition)).isValid());
    }
    // Sighted once, the devices are known: no "Device not found: " for them.
    QVERIFY(!capture.contains(QStringLiteral("Device not found")));
}

void TestSimulatedDeviceDiscovery::followsWhatADeviceAdvertisesNow()
{
    const auto park = shippedPark();
    const simulator::DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    ScannerThread scanner(new SimulatedDeviceDiscovery(park, kFast));
    QVERIFY(scanner.started());
    Reports reports(scanner.get());
    scanner->startDiscovery();
    QTRY_VERIFY_WITH_TIMEOUT(reports.lastOf(definition.serial).has_value(), kWait);
    QCOMPARE(reports.lastOf(definition.serial)->deviceInfo.Name, definition.application.name);

    // Restarted into its bootloader over a link, the device advertises its bootloader.
    QVERIFY(park->withEngine(definition.address, [&](simulator::DeviceEngine &engine) {
        engine.connectLink();
        simulator::ProtocolMaster master(engine);
        QVERIFY(sim_test::logIn(master, definition));
        v_protocol::TCommandConfirm confirm;
        QCOMPARE(master.command(simulator::DeviceEngine::kRestartIntoBootloaderCommand, {}, confirm), ReturnCode::Ok);
        engine.dropLink();
    }));
    QTRY_COMPARE_WITH_TIMEOUT(reports.lastOf(definition.serial)->deviceInfo.Name, definition.bootloader.name, kWait);
    QCOMPARE(reports.lastOf(definition.serial)->deviceInfo.FirmwareVersion, definition.bootloader.version);
}

QTEST_GUILESS_MAIN(TestSimulatedDeviceDiscovery)
#include "tst_simulated_device_discovery.moc"
