// Restart into the bootloader and firmware uploads, the way the configurator runs a firmware update:
// command 1025, a new link, authentication, file 6 with its CRC-32 in front.
#include "sim_test_support.h"

#include "testing/log_capture.h"

#include "simulator/firmware_image.h"
#include "v_protocol/crc.h"
#include "v_protocol/t_application_info_file.h"

using namespace simulator;
using namespace v_protocol;

Q_DECLARE_METATYPE(TSystemFileResult)

namespace {

// What the configurator does after the restart: drop the link, connect again, log in.
void reconnect(DeviceEngine &engine, ProtocolMaster &master)
{
    engine.dropLink();
    engine.connectLink();
    QVERIFY(sim_test::logIn(master, engine.definition()));
}

TApplicationInfoFile applicationInfo(ProtocolMaster &master)
{
    QByteArray bytes;
    TApplicationInfoFile info;
    if (master.readFile(0, TReadMode::Ordinary, bytes) == ReturnCode::Ok)
        TApplicationInfoFile::fromByteArray(bytes, info);
    return info;
}

TSystemFileResult upload(ProtocolMaster &master, quint8 fileId, const QByteArray &bytes)
{
    const vk_testing::LogCapture quiet; // a line per chunk
    TSystemFileResult status = TSystemFileResult::UnknownFileIdentifier;
    master.writeFile(fileId, bytes, 4, status);
    return status;
}

} // namespace

class TestFirmwareUpdate : public QObject
{
    Q_OBJECT

private slots:
    void firmwareImages();
    void roundTripThroughTheBootloader();
    void refusedUploads_data();
    void refusedUploads();
    void deviceStartingInItsBootloader();
    void bootloaderUpdate();
};

void TestFirmwareUpdate::firmwareImages()
{
    const QByteArray image = FirmwareImage::make({ 2, 5 }, 1000, 7);
    QCOMPARE(image.size(), 1000);
    TFirmwareVersion version;
    QVERIFY(FirmwareImage::versionOf(image, version));
    QCOMPARE(version, (TFirmwareVersion { 2, 5 }));
    QVERIFY(!image.contains("-boot"));
    QVERIFY(FirmwareImage::make({ 1, 0 }, 1000, 7, true).contains("-boot"));
    QVERIFY(!FirmwareImage::versionOf(QByteArray(100, 'x'), version));

    const QByteArray upload = FirmwareImage::withCrc(image);
    QCOMPARE(upload.size(), image.size() + 4);
    QCOMPARE(qFromLittleEndian<quint32>(upload.constData()), calcCrc32(image));
    QByteArray body;
    QVERIFY(FirmwareImage::splitCrc(upload, body));
    QCOMPARE(body, image);
    QByteArray damaged = upload;
    damaged[500] = char(damaged.at(500) ^ 0x10);
    QVERIFY(!FirmwareImage::splitCrc(damaged, body));
    QVERIFY(!FirmwareImage::splitCrc(upload.left(3), body));

    QCOMPARE(FirmwareImage::nextVersion({ 2, 4 }), (TFirmwareVersion { 2, 5 }));
    QCOMPARE(FirmwareImage::nextVersion({ 2, 15 }), (TFirmwareVersion { 3, 0 }));
    QCOMPARE(FirmwareImage::nextVersion({ 15, 15 }), (TFirmwareVersion { 0, 0 }));
    QCOMPARE(FirmwareImage::pattern(64, 9), FirmwareImage::pattern(64, 9));
    QVERIFY(FirmwareImage::pattern(64, 9) != FirmwareImage::pattern(64, 10));
}

void TestFirmwareUpdate::roundTripThroughTheBootloader()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const SimulatedAdvertisement before = engine.advertisement();
    QCOMPARE(applicationInfo(master).FirmwareVersion, (TFirmwareVersion { 2, 4 }));

    TCommandConfirm confirm;
    QCOMPARE(master.command(DeviceEngine::kRestartIntoBootloaderCommand, QByteArray(), confirm), ReturnCode::Ok);
    QCOMPARE(confirm.cmdRes, TCommandResult::Success);
    QVERIFY(engine.isInBootloader());
    // The restart ended the session on the old link.
    QCOMPARE(engine.accessLevel(), AccessLevel::None);

    reconnect(engine, master);
    TAuthResponse response;
    QCOMPARE(master.authenticate(engine.definition().rootPassword, response), ReturnCode::Ok);
    QCOMPARE(response.appType, TAppType::Bootloader);
    const TApplicationInfoFile bootInfo = applicationInfo(master);
    QCOMPARE(bootInfo.Name, QStringLiteral("FM-200 Boot"));
    QCOMPARE(bootInfo.FirmwareVersion, (TFirmwareVersion { 1, 2 }));
    // The bootloader advertises itself with its own name, version and application type.
    const SimulatedAdvertisement boot = engine.advertisement();
    QCOMPARE(boot.name, QStringLiteral("FM-200 Boot"));
    QCOMPARE(boot.address, before.address);
    QCOMPARE(boot.manufacturerData.left(7), before.manufacturerData.left(7));
    QCOMPARE(quint8(boot.manufacturerData.at(7)), TFirmwareVersion({ 1, 2 }).toByte());
    QCOMPARE(quint8(boot.manufacturerData.at(9)), quint8(TAppType::Bootloader));
    // It has another file set: the application's raw files are gone, the images are there.
    QByteArray bytes;
    TSystemFileResult refusal;
    QCOMPARE(master.readFile(17, TReadMode::Ordinary, bytes, &refusal), ReturnCode::ErrAccessDenied);
    QCOMPARE(refusal, TSystemFileResult::UnknownFileIdentifier);

    const QByteArray image = FirmwareImage::make({ 2, 6 }, 256 * 1024, 42);
    QCOMPARE(upload(master, 6, FirmwareImage::withCrc(image)), TSystemFileResult::FileResultSuccess);
    QVERIFY(!engine.isInBootloader());
    QCOMPARE(engine.installedImage(), image);
    QCOMPARE(engine.firmwareVersion(), (TFirmwareVersion { 2, 6 }));

    reconnect(engine, master);
    QCOMPARE(master.authenticate(engine.definition().rootPassword, response), ReturnCode::Ok);
    QCOMPARE(response.appType, TAppType::Application);
    const TApplicationInfoFile updated = applicationInfo(master);
    QCOMPARE(updated.Name, QStringLiteral("FM-200 Flow"));
    QCOMPARE(updated.FirmwareVersion, (TFirmwareVersion { 2, 6 }));
    QCOMPARE(quint8(engine.advertisement().manufacturerData.at(7)), TFirmwareVersion({ 2, 6 }).toByte());
    // The settings survived the update.
    QCOMPARE(engine.value(100), DeviceEngine(engine.definition()).value(100));
}

void TestFirmwareUpdate::refusedUploads_data()
{
    QTest::addColumn<QByteArray>("upload");
    QTest::addColumn<TSystemFileResult>("status");
    const QByteArray image = FirmwareImage::make({ 3, 1 }, 4096, 5);
    QByteArray wrongCrc = FirmwareImage::withCrc(image);
    wrongCrc[0] = char(wrongCrc.at(0) ^ 0x01);
    QByteArray damagedImage = FirmwareImage::withCrc(image);
    damagedImage[2000] = char(damagedImage.at(2000) ^ 0x80);
    QTest::newRow("wrong CRC") << wrongCrc << TSystemFileResult::FileResultCrcError;
    QTest::newRow("damaged image") << damagedImage << TSystemFileResult::FileResultCrcError;
    QTest::newRow("image without CRC") << image << TSystemFileResult::FileResultCrcError;
    QTest::newRow("three bytes") << QByteArray(3, '\0') << TSystemFileResult::FileResultCrcError;
    QTest::newRow("beyond the flash") << FirmwareImage::withCrc(FirmwareImage::make({ 3, 1 }, 524289, 5))
                                      << TSystemFileResult::FileSizeTooBig;
}

void TestFirmwareUpdate::refusedUploads()
{
    QFETCH(QByteArray, upload);
    QFETCH(TSystemFileResult, status);
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    TCommandConfirm confirm;
    master.command(DeviceEngine::kRestartIntoBootloaderCommand, QByteArray(), confirm);
    reconnect(engine, master);
    QCOMPARE(::upload(master, 6, upload), status);
    QVERIFY(engine.isInBootloader());
    QCOMPARE(engine.advertisement().name, QStringLiteral("FM-200 Boot"));
    QCOMPARE(engine.installedImage(), QByteArray());
    // A correct image is still taken afterwards.
    QCOMPARE(::upload(master, 6, FirmwareImage::withCrc(FirmwareImage::make({ 3, 1 }, 4096, 5))),
        TSystemFileResult::FileResultSuccess);
    QCOMPARE(engine.firmwareVersion(), (TFirmwareVersion { 3, 1 }));
}

void TestFirmwareUpdate::deviceStartingInItsBootloader()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("vc1")));
    QVERIFY(engine.isInBootloader());
    QVERIFY(!engine.hasValidApplication());
    QCOMPARE(engine.definition().advertisement().name, QStringLiteral("VC-1 Boot"));
    ProtocolMaster master(engine);
    TAuthResponse response;
    QCOMPARE(master.authenticate(engine.definition().userPassword, response), ReturnCode::Ok);
    QCOMPARE(response.appType, TAppType::Bootloader);
    QCOMPARE(response.maxPacketSize, quint16(160));
    QCOMPARE(master.maxChunkDataSize(), 134);

    // Switched off and on, it stays in the bootloader while it has no application.
    engine.powerCycle();
    engine.connectLink();
    QVERIFY(engine.isInBootloader());
    QVERIFY(sim_test::logIn(master, engine.definition(), false));

    // An image without version tag gets the next version after the last application's.
    const QByteArray image = FirmwareImage::pattern(20000, 3);
    QCOMPARE(upload(master, 6, FirmwareImage::withCrc(image)), TSystemFileResult::FileResultSuccess);
    QVERIFY(engine.hasValidApplication());
    QCOMPARE(engine.appType(), TAppType::Application);
    QCOMPARE(engine.firmwareVersion(), (TFirmwareVersion { 3, 1 }));
    QCOMPARE(engine.advertisement().name, QStringLiteral("VC-1 Valve"));
    engine.powerCycle();
    QVERIFY(!engine.isInBootloader());
}

void TestFirmwareUpdate::bootloaderUpdate()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("vc1")));
    ProtocolMaster master(engine);
    const QByteArray upload = FirmwareImage::withCrc(FirmwareImage::make({ 1, 1 }, 30000, 11, true));
    QVERIFY(sim_test::logIn(master, engine.definition(), false));
    QCOMPARE(::upload(master, 254, upload), TSystemFileResult::FileResultOperationNotAllowed);
    QVERIFY(sim_test::logIn(master, engine.definition(), true));
    QCOMPARE(::upload(master, 254, upload), TSystemFileResult::FileResultSuccess);
    QVERIFY(engine.isInBootloader());
    QCOMPARE(engine.firmwareVersion(), (TFirmwareVersion { 1, 1 }));
}

QTEST_GUILESS_MAIN(TestFirmwareUpdate)
#include "tst_firmware_update.moc"
