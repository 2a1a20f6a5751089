// The whole connect chain against each shipped device, as a user runs it: Connect, pick the device
// from the list, type the password; then everything the interface is told is checked against what
// the simulated device holds.
#include "core_harness.h"

#include "simulator/value_codec.h"

using namespace core_testing;
using E = VkInterfaceElement;

class TestCoreConnect : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(_core.start()); }
    void cleanup() { _core.stop(); }
    void connectChain_data();
    void connectChain();
    void cancelledPasswordEndsTheAttempt();

private:
    CoreHarness _core;
};

void TestCoreConnect::connectChain_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("root");
    QTest::newRow("fm200 flat profile, root") << "fm200"
                                              << "4711" << true;
    QTest::newRow("gw4 hierarchical, user") << "gw4"
                                            << "2468" << false;
    QTest::newRow("vc1 in its bootloader") << "vc1"
                                           << "5555" << true;
}

void TestCoreConnect::connectChain()
{
    QFETCH(QString, device);
    QFETCH(QString, password);
    QFETCH(bool, root);
    const simulator::DeviceDefinition &definition = shippedDevice(device);
    SignalRecorder &signal = *_core.recorder;
    bool bootloader = false;
    simulator::FirmwareDefinition firmware;
    _core.withEngine(definition, [&](simulator::DeviceEngine &engine) {
        bootloader = engine.isInBootloader();
        firmware = engine.runningFirmware();
    });

    // The device list opens and shows the device with its version.
    const QString uuid = _core.openDeviceList(definition);
    QVERIFY(!uuid.isEmpty());
    QCOMPARE(signal.last("appCoreBleDiscoveryStateChanged").args, QVariantList { true });
    const QString listed = QStringLiteral("%1-%2 [v%3.%4]")
                               .arg(firmware.name)
                               .arg(definition.serial)
                               .arg(firmware.version.Major)
                               .arg(firmware.version.Minor);
    bool listedWithVersion = false;
    for (const Event &event : signal.all("appCoreBleDeviceDiscovered"))
        listedWithVersion |= event.args.at(0).toString() == listed && event.args.at(1).toString() == uuid;
    QVERIFY2(listedWithVersion, qPrintable(listed));

    const int start = signal.mark();
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    _core.core->appCoreConnectToBleDevice(uuid);
    QVERIFY(_core.waitFor([&]() { return signal.count("appCorePasswordRequest", start) == 1; }));
    QCOMPARE(signal.last("appCoreBleDiscoveryStateChanged").args, QVariantList { false }); // the list closes
    _core.core->passwordEntered(password);
    QVERIFY(_core.waitForChainEnd(start));
    QVERIFY(_core.core->isConnected());

    // Header line and connection state.
    const QString boot = bootloader ? QStringLiteral("<font color=\"red\"><b>   BOOT</b></font>") : QString();
    QCOMPARE(signal.last("appCoreHeaderText").args.at(0).toString(),
        QStringLiteral("<font>%1 - %2.%3<br>Serial: %4</font>%5")
            .arg(firmware.name)
            .arg(firmware.version.Major)
            .arg(firmware.version.Minor)
            .arg(definition.serial)
            .arg(boot));
    QCOMPARE(signal.last("appCoreUpdateConnStatus").args, (QVariantList { "Disconnect", true, !bootloader }));
    QCOMPARE(signal.count("appCoreAddStandartCmd", start), bootloader ? 0 : 1);
    if (!bootloader)
        QCOMPARE(signal.last("appCoreAddStandartCmd").args, (QVariantList { 1, "Load to bootloader" }));
    QVERIFY2(
        signal.dialogs(start).filter(QStringLiteral("Warning")).isEmpty(), qPrintable(signal.dialogs(start).join('|')));
    QVERIFY(_core.core->debugText().contains(QStringLiteral(">>>[APP]  CONNECT to device: %1 - %2.%3 Serial: %4\n")
                                                 .arg(firmware.name)
                                                 .arg(firmware.version.Major)
                                                 .arg(firmware.version.Minor)
                                                 .arg(definition.serial)));

    // Every profile element is announced once, parents before children, with the user's rights.
    const QList<Event> announced = signal.all("addInterfaceElement", start);
    QCOMPARE(announced.size(), firmware.profile.size());
    QList<int> order;
    for (const Event &event : announced) {
        QCOMPARE(event.args.at(0).toBool(), root);
        const auto *element = event.args.at(1).value<VkInterfaceElement *>();
        if (element->parentId() != 0)
            QVERIFY2(order.contains(element->parentId()), qPrintable(element->nameEn()));
        order << element->id();
    }

    // Values equal what the device holds (state values move with every read and are only sized).
    _core.withEngine(definition, [&](simulator::DeviceEngine &engine) {
        for (const simulator::ProfileEntry &expected : firmware.profile) {
            const E *element = _core.element(expected.element.id);
            QVERIFY(element);
            // A bootloader's values are not read.
            if (bootloader || expected.element.dataType == v_protocol::TSlaveProfile::DataTypes::TNoData
                || expected.element.type == v_protocol::TSlaveProfile::Types::SlaveCommand)
                continue;
            if (expected.element.type == v_protocol::TSlaveProfile::Types::SlaveState)
                QCOMPARE(element->value().size(), engine.value(expected.element.id).size());
            else
                QCOMPARE(element->value(), engine.value(expected.element.id));
        }
    });

    if (bootloader) {
        // No time synchronisation, no file table, no data files, no warning.
        _core.withEngine(definition, [&](simulator::DeviceEngine &engine) {
            QCOMPARE(engine.counters().received(v_protocol::TPayloadType::CommandRequest), 0);
        });
        QCOMPARE(signal.count("appCoreAddDeviceFileElement", start), 0);
        QCOMPARE(signal.count("loadDataToInterface", start), 0);
        QCOMPARE(int(_core.core->receivedFiles()), int(GuiQmlHandler::SlaveProfile));
    } else {
        QCOMPARE(int(_core.core->receivedFiles()), int(GuiQmlHandler::AllFiles));
        QList<int> loaded;
        for (const Event &event : signal.all("loadDataToInterface", start))
            loaded << event.args.at(0).toInt();
        for (int kind : { E::PersonalizationInfo, E::SlaveSetting, E::SlaveState })
            QVERIFY2(loaded.contains(kind), qPrintable(QString::number(kind)));
        // The device files, named by the device.
        QVERIFY(_core.waitFor(
            [&]() { return signal.count("appCoreAddDeviceFileElement", start) == firmware.files.size(); }));
        QCOMPARE(signal.last("appCoreDeviceFilesVisible").args, QVariantList { true });
        for (const simulator::FileDefinition &file : firmware.files) {
            bool seen = false;
            for (const Event &event : signal.all("appCoreAddDeviceFileElement", start)) {
                const auto *info = event.args.at(0).value<VkFileInfoElement *>();
                seen |= info->fileId() == file.fileId && info->fileName() == file.name;
            }
            QVERIFY2(seen, qPrintable(file.name));
        }
        // The device clock was set to the time of the connection.
        for (const simulator::ProfileEntry &value : firmware.profile) {
            if (!value.clock)
                continue;
            _core.withEngine(definition, [&](simulator::DeviceEngine &engine) {
                const qint64 clock = simulator::ValueCodec::readInteger(engine.value(value.element.id), false);
                QVERIFY2(
                    clock >= before && clock <= QDateTime::currentSecsSinceEpoch(), qPrintable(QString::number(clock)));
            });
        }
    }
    QVERIFY(_core.isIdle());

    // Polling: the connected, idle device is asked for debug output; its dialog markers become a dialog.
    if (device == QLatin1String("fm200")) {
        QVERIFY(_core.waitFor([&]() {
            return signal.dialogs(start).contains(
                QStringLiteral("info: Calibration is due in 12 days. Please plan a service visit."));
        }));
        QVERIFY(_core.core->debugText().contains(QStringLiteral("FM-200 Flow 2.4 (build 2024-03-11) starting\n")));
    }
}

void TestCoreConnect::cancelledPasswordEndsTheAttempt()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    SignalRecorder &signal = *_core.recorder;
    const QString uuid = _core.openDeviceList(fm200);
    QVERIFY(!uuid.isEmpty());
    const int start = signal.mark();
    _core.core->appCoreConnectToBleDevice(uuid);
    QVERIFY(_core.waitFor([&]() { return signal.count("appCorePasswordRequest", start) == 1; }));
    QVERIFY(_core.core->isConnected()); // chosen, not yet linked

    // Nothing reached the device: the attempt ends at once, and the interface is told so.
    _core.core->passwordCancelled();
    QVERIFY(_core.waitIdle());
    QVERIFY(!_core.core->isConnected());
    QCOMPARE(signal.last("appCoreUpdateConnStatus").args, (QVariantList { "Connect", false, true }));
    QCOMPARE(signal.last("appCoreHeaderText").args, QVariantList { "Not connected" });
    QCOMPARE(signal.last("appCoreBusy").args, QVariantList { false });
    QVERIFY(signal.dialogs(start).isEmpty());
    _core.withEngine(fm200, [](simulator::DeviceEngine &engine) {
        QCOMPARE(engine.counters().received(v_protocol::TPayloadType::AuthenticationRequest), 0);
    });

    // Connect works again: the list opens and the device connects.
    QVERIFY(_core.connect(fm200, QStringLiteral("4711")));
    QCOMPARE(signal.last("appCoreUpdateConnStatus").args, (QVariantList { "Disconnect", true, true }));
}

QTEST_MAIN(TestCoreConnect)
#include "tst_core_connect.moc"
