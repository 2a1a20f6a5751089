// Scan, pick and connect without hardware: the discovery manager and the interface manager, both
// unchanged, on the simulated transport, through the real bus. A device picked from the scan gets
// an interface, and once that interface is plugged in the device is handed to the device manager
// with the packet size of its link.
#include "bus_probe.h"
#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_catalog.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_transport.h"

#include <QtTest>

using namespace event_topics::device_manager;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DiscoveryManager;
using device_manager::InterfaceManager;
using discovery_test::BusProbe;

namespace {
constexpr int kWait = 30000;
}

class TestDiscoveryConnect : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void connectsToASimulatedDevice_data();
    void connectsToASimulatedDevice();

private:
    BusProbe *_probe = nullptr;
};

void TestDiscoveryConnect::initTestCase()
{
    event_topics::registerMessageMetaTypes();
}

void TestDiscoveryConnect::init()
{
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    _probe = new BusProbe;
    QVERIFY(_probe->subscribeAll(kWait));
    // As start-up would: the transport is chosen once, then the modules are made.
    simulator::SimulatedTransport::install(
        std::make_shared<simulator::DevicePark>(simulator::DeviceCatalog::builtIn()));
    QVERIFY(DiscoveryManager::createInstance(nullptr));
    QVERIFY(InterfaceManager::createInstance(nullptr));
}

void TestDiscoveryConnect::cleanup()
{
    DiscoveryManager::destroyInstance();
    InterfaceManager::destroyInstance();
    simulator::SimulatedTransport::uninstall();
    delete _probe;
    _probe = nullptr;
    event_bus::BusManager::destroyInstance();
}

void TestDiscoveryConnect::connectsToASimulatedDevice_data()
{
    QTest::addColumn<simulator::DeviceDefinition>("definition");
    const simulator::DeviceCatalog catalog = simulator::DeviceCatalog::builtIn();
    for (const simulator::DeviceDefinition &definition : catalog.definitions())
        QTest::newRow(qPrintable(definition.id)) << definition;
}

void TestDiscoveryConnect::connectsToASimulatedDevice()
{
    QFETCH(simulator::DeviceDefinition, definition);
    QCOMPARE(_probe->publish(new DeviceManagerCmdStartDiscovery({ device_manager::DiscoveryState::Active })),
        ReturnCode::Ok);
    QTRY_VERIFY_WITH_TIMEOUT(_probe->lastDiscovered(definition.serial).has_value(), kWait);

    DeviceDiscoveryInfo picked = *_probe->lastDiscovered(definition.serial);
    QCOMPARE(picked.deviceInfo.Name, definition.startFirmware().name);
    picked.deviceInfo.Pass = definition.rootPassword;
    QCOMPARE(_probe->publish(new CmdConnectToDevice(picked)), ReturnCode::Ok);

    QTRY_COMPARE_WITH_TIMEOUT(_probe->connectRequests.size(), 1, kWait);
    const DeviceDiscoveryInfo handedOn = _probe->connectRequests.first()->device;
    QCOMPARE(_probe->createRequests.size(), 1);
    QCOMPARE(handedOn.interfaceInfo, _probe->createRequests.first()->interfaceInfo);
    QCOMPARE(handedOn.interfaceInfo.maximumPacketSize, definition.link.maximumPacketSize());
    QVERIFY(handedOn.interfaceInfo.maximumPacketSize > 0);
    QCOMPARE(handedOn.deviceInfo, picked.deviceInfo);
    QVERIFY(_probe->errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestDiscoveryConnect)
#include "tst_discovery_connect.moc"
