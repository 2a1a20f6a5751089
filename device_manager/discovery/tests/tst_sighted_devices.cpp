// The table of sighted devices shared by the scanners: which advertisements count, the second
// sighting rule, the description kept for connecting, and concurrent use.
#include "device_manager/discovery/sighted_devices.h"
#include "testing/log_capture.h"

#include <QBluetoothAddress>
#include <QtTest>

#include <atomic>
#include <thread>

using device_manager::DeviceDiscoveryInfo;
using device_manager::SightedDevices;

namespace {

constexpr quint16 kCompany = 0xFFFF;

QByteArray ourData(quint32 serial, quint8 model = 0x11, quint8 firmware = 0x21)
{
    QByteArray data("VK");
    for (int i = 0; i < 4; ++i)
        data.append(char((serial >> (8 * i)) & 0xFF));
    data.append(char(model));
    data.append(char(firmware));
    data.append(char(3));
    return data;
}

QBluetoothDeviceInfo advert(const QString &address, const QByteArray &data, qint16 rssi = -60,
    QBluetoothDeviceInfo::CoreConfigurations core = QBluetoothDeviceInfo::LowEnergyCoreConfiguration)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), QStringLiteral("FM-200"), 0);
    info.setCoreConfigurations(core);
    if (!data.isNull())
        info.setManufacturerData(kCompany, data);
    info.setRssi(rssi);
    return info;
}

DeviceDiscoveryInfo lookup(quint32 serial, quint16 model = 0x11)
{
    DeviceDiscoveryInfo info;
    info.deviceInfo.Serial = serial;
    info.deviceInfo.ModelId = model;
    return info;
}

const QString kAddress = QStringLiteral("C4:7F:51:00:10:01");

} // namespace

class TestSightedDevices : public QObject
{
    Q_OBJECT

private slots:
    void ignoredAdvertisements_data();
    void ignoredAdvertisements();
    void reportedFromTheSecondSighting();
    void keepsTheDescriptionOfTheSecondSighting();
    void reportFollowsTheLatestAdvertisement();
    void modelAndSerialTogetherNameADevice();
    void clearForgetsEveryDevice();
    void unknownDeviceIsWarnedAbout();
    void sightingAndLookupFromTwoThreads();
};

void TestSightedDevices::ignoredAdvertisements_data()
{
    QTest::addColumn<QBluetoothDeviceInfo>("info");
    QTest::newRow("invalid description") << QBluetoothDeviceInfo();
    QTest::newRow("classic device") << advert(
        kAddress, ourData(7), -60, QBluetoothDeviceInfo::BaseRateCoreConfiguration);
    QTest::newRow("dual mode device") << advert(
        kAddress, ourData(7), -60, QBluetoothDeviceInfo::BaseRateAndLowEnergyCoreConfiguration);
    QTest::newRow("no manufacturer data") << advert(kAddress, QByteArray());
    QTest::newRow("8 bytes") << advert(kAddress, ourData(7).left(8));
    QTest::newRow("foreign data") << advert(kAddress, QByteArray::fromHex("4c000215aabbccddee"));
}

void TestSightedDevices::ignoredAdvertisements()
{
    QFETCH(QBluetoothDeviceInfo, info);
    SightedDevices sighted;
    for (int i = 0; i < 3; ++i)
        QVERIFY(!sighted.sight(info).has_value());
}

void TestSightedDevices::reportedFromTheSecondSighting()
{
    SightedDevices sighted;
    const QBluetoothDeviceInfo info = advert(kAddress, ourData(0x12345678));
    QVERIFY(!sighted.sight(info).has_value());
    // Sighted once: known, but nothing to connect to yet (and no warning: the device is known).
    {
        vk_testing::LogCapture capture;
        QVERIFY(!sighted.deviceInfoFor(lookup(0x12345678)).isValid());
        QVERIFY(!capture.contains(QStringLiteral("Device not found")));
    }
    for (int sighting = 2; sighting <= 4; ++sighting) {
        const std::optional<DeviceDiscoveryInfo> report = sighted.sight(info);
        QVERIFY2(report.has_value(), qPrintable(QStringLiteral("sighting %1").arg(sighting)));
        QCOMPARE(report->interfaceInfo.type, device_manager::InterfaceType::BLE);
        QVERIFY(report->interfaceInfo.uuid.isEmpty());
        QCOMPARE(report->interfaceInfo.maximumPacketSize, -1);
        QCOMPARE(report->deviceInfo.Serial, quint64(0x12345678));
        QCOMPARE(report->deviceInfo.Name, QStringLiteral("FM-200"));
    }
}

void TestSightedDevices::keepsTheDescriptionOfTheSecondSighting()
{
    SightedDevices sighted;
    sighted.sight(advert(kAddress, ourData(5), -70));
    QCOMPARE(sighted.sight(advert(kAddress, ourData(5), -65))->rssi, qint16(-65));
    // Each report carries the signal strength of its own advertisement.
    QCOMPARE(sighted.sight(advert(kAddress, ourData(5), -50))->rssi, qint16(-50));
    const QBluetoothDeviceInfo kept = sighted.deviceInfoFor(lookup(5));
    QVERIFY(kept.isValid());
    QCOMPARE(kept.address(), QBluetoothAddress(kAddress));
    QCOMPARE(kept.rssi(), qint16(-65));
    QCOMPARE(kept.manufacturerData(kCompany), ourData(5));
}

void TestSightedDevices::reportFollowsTheLatestAdvertisement()
{
    // A device that restarts with other firmware keeps its model and serial: the same device,
    // reported as it advertises now.
    SightedDevices sighted;
    sighted.sight(advert(kAddress, ourData(9, 0x11, 0x21)));
    QCOMPARE(sighted.sight(advert(kAddress, ourData(9, 0x11, 0x21)))->deviceInfo.FirmwareVersion.Minor, quint8(2));
    const auto report = sighted.sight(advert(kAddress, ourData(9, 0x11, 0x01)));
    QVERIFY(report.has_value());
    QCOMPARE(report->deviceInfo.FirmwareVersion.Major, quint8(1));
    QCOMPARE(report->deviceInfo.FirmwareVersion.Minor, quint8(0));
}

void TestSightedDevices::modelAndSerialTogetherNameADevice()
{
    SightedDevices sighted;
    const QString other = QStringLiteral("C4:7F:51:00:10:02");
    QVERIFY(!sighted.sight(advert(kAddress, ourData(42, 0x11))).has_value());
    // Same serial, other model: a device of its own, sighted for the first time.
    QVERIFY(!sighted.sight(advert(other, ourData(42, 0x12))).has_value());
    QVERIFY(sighted.sight(advert(kAddress, ourData(42, 0x11))).has_value());
    QVERIFY(sighted.sight(advert(other, ourData(42, 0x12))).has_value());
    QCOMPARE(sighted.deviceInfoFor(lookup(42, 0x11)).address(), QBluetoothAddress(kAddress));
    QCOMPARE(sighted.deviceInfoFor(lookup(42, 0x12)).address(), QBluetoothAddress(other));
}

void TestSightedDevices::clearForgetsEveryDevice()
{
    SightedDevices sighted;
    const QBluetoothDeviceInfo info = advert(kAddress, ourData(3));
    sighted.sight(info);
    QVERIFY(sighted.sight(info).has_value());
    sighted.clear();
    QVERIFY(!sighted.sight(info).has_value());
    QVERIFY(sighted.sight(info).has_value());
}

void TestSightedDevices::unknownDeviceIsWarnedAbout()
{
    SightedDevices sighted;
    vk_testing::LogCapture capture;
    QVERIFY(!sighted.deviceInfoFor(lookup(77)).isValid());
    const auto entries = capture.entries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().type, QtWarningMsg);
    QVERIFY(entries.first().text.startsWith(QStringLiteral("Device not found:  DeviceDiscoveryInfo[")));
}

void TestSightedDevices::sightingAndLookupFromTwoThreads()
{
    // The scanner writes in its thread while the discovery manager looks devices up in another.
    SightedDevices sighted;
    constexpr int kDevices = 64;
    std::atomic<bool> done { false };
    std::thread scanner([&] {
        for (int round = 0; round < 20; ++round) {
            if (round == 10)
                sighted.clear();
            for (quint32 serial = 1; serial <= kDevices; ++serial)
                sighted.sight(advert(kAddress, ourData(serial), qint16(-40 - round)));
        }
        done = true;
    });
    vk_testing::LogCapture capture; // devices not yet sighted are warned about
    while (!done) {
        for (quint32 serial = 1; serial <= kDevices; ++serial)
            sighted.deviceInfoFor(lookup(serial));
    }
    scanner.join();
    for (quint32 serial = 1; serial <= kDevices; ++serial)
        QCOMPARE(sighted.deviceInfoFor(lookup(serial)).rssi(), qint16(-51)); // second sighting after the clear
}

QTEST_GUILESS_MAIN(TestSightedDevices)
#include "tst_sighted_devices.moc"
