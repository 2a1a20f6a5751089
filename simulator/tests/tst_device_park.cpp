#include "sim_test_support.h"
#include "simulator/device_park.h"

#include <QtTest>

#include <atomic>
#include <optional>
#include <thread>

class TestDevicePark : public QObject
{
    Q_OBJECT

private slots:
    void oneEnginePerDefinition();
    void stateOutlivesTheConnection();
    void signalStrengthAndSilence();
    void concurrentUseOfOneDevice();
};

void TestDevicePark::oneEnginePerDefinition()
{
    simulator::DevicePark park(sim_test::shipped());
    QCOMPARE(park.size(), sim_test::shipped().definitions().size());
    const QList<simulator::SimulatedAdvertisement> adverts = park.advertisements();
    QCOMPARE(adverts.size(), park.size());
    for (int i = 0; i < adverts.size(); ++i)
        QCOMPARE(adverts[i], sim_test::shipped().definitions()[i].advertisement());

    const QString address = adverts.first().address;
    int serial = 0;
    QVERIFY(park.withEngine(address.toLower(), [&](simulator::DeviceEngine &engine) {
        serial = int(engine.definition().serial);
    }));
    QCOMPARE(quint32(serial), sim_test::shipped().definitions().first().serial);
    QVERIFY(!park.withEngine(QStringLiteral("00:00:00:00:00:00"), [](simulator::DeviceEngine &) {}));
}

void TestDevicePark::stateOutlivesTheConnection()
{
    // A device restarted into its bootloader over one link advertises and answers as a bootloader
    // on the next one.
    simulator::DevicePark park(sim_test::shipped());
    const simulator::DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    QVERIFY(park.withEngine(definition.address, [&](simulator::DeviceEngine &engine) {
        engine.connectLink();
        simulator::ProtocolMaster master(engine);
        QVERIFY(sim_test::logIn(master, definition));
        v_protocol::TCommandConfirm confirm;
        QCOMPARE(master.command(simulator::DeviceEngine::kRestartIntoBootloaderCommand, {}, confirm), ReturnCode::Ok);
        engine.dropLink();
    }));

    bool inBootloader = false;
    QVERIFY(park.withEngine(definition.address, [&](simulator::DeviceEngine &engine) {
        engine.connectLink();
        inBootloader = engine.isInBootloader();
    }));
    QVERIFY(inBootloader);
    for (const simulator::SimulatedAdvertisement &advert : park.advertisements()) {
        if (advert.address == definition.address)
            QVERIFY(!(advert == definition.advertisement()));
    }
}

void TestDevicePark::signalStrengthAndSilence()
{
    simulator::DevicePark park(sim_test::shipped());
    const simulator::DeviceDefinition fm200 = sim_test::device(QStringLiteral("fm200"));
    const auto rssiOf = [&](const QString &address) -> std::optional<qint16> {
        for (const simulator::SimulatedAdvertisement &advert : park.advertisements()) {
            if (advert.address == address)
                return advert.rssi;
        }
        return std::nullopt;
    };
    // Each shipped device is heard at the strength its definition gives.
    QCOMPARE(rssiOf(fm200.address), std::optional<qint16>(-52));
    QCOMPARE(rssiOf(sim_test::device(QStringLiteral("vc1")).address), std::optional<qint16>(-78));

    QVERIFY(park.setRssi(fm200.address.toLower(), -91));
    QCOMPARE(rssiOf(fm200.address), std::optional<qint16>(-91));
    // Silent, it is missing from the air; the others are not.
    QVERIFY(park.setAdvertising(fm200.address, false));
    QCOMPARE(rssiOf(fm200.address), std::nullopt);
    QCOMPARE(park.advertisements().size(), park.size() - 1);
    // Back again, as it was.
    QVERIFY(park.setAdvertising(fm200.address, true));
    QCOMPARE(rssiOf(fm200.address), std::optional<qint16>(-91));
    QVERIFY(!park.setRssi(QStringLiteral("00:00:00:00:00:00"), -50));
    QVERIFY(!park.setAdvertising(QStringLiteral("00:00:00:00:00:00"), false));
}

void TestDevicePark::concurrentUseOfOneDevice()
{
    // Two carriers and a scanner on one device: every request gets its answer and nothing races
    // (the sanitizer build checks the latter).
    simulator::DevicePark park(sim_test::shipped());
    const simulator::DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    std::atomic<int> answered { 0 };
    std::atomic<bool> stop { false };
    std::atomic<int> wrongSizes { 0 };
    auto carrier = [&] {
        for (int i = 0; i < 200; ++i) {
            park.withEngine(definition.address, [&](simulator::DeviceEngine &engine) {
                const QByteArray payload(1, char(v_protocol::TPayloadType::DebugRequest));
                const simulator::ReplyItems items = engine.handleBytes(sim_test::request(engine, payload, quint32(i + 1)));
                if (!items.isEmpty())
                    ++answered;
            });
        }
    };
    std::thread scanner([&] {
        while (!stop) {
            if (park.advertisements().size() != park.size())
                ++wrongSizes;
        }
    });
    std::thread first(carrier);
    std::thread second(carrier);
    first.join();
    second.join();
    stop = true;
    scanner.join();
    QCOMPARE(answered.load(), 400);
    QCOMPARE(wrongSizes.load(), 0);
}

QTEST_GUILESS_MAIN(TestDevicePark)
#include "tst_device_park.moc"
