// Files of the device engine: whole reads and writes of every file of every shipped device, the
// refusals of a device that protects its files, link timing and drifting state values.
#include "sim_test_support.h"

#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_profile.h"

using namespace simulator;
using namespace v_protocol;

Q_DECLARE_METATYPE(TReadMode)
Q_DECLARE_METATYPE(TSystemFileResult)

namespace {

// The structured files every firmware has, and the files of its table.
QList<quint8> fileIdsOf(const DeviceEngine &engine)
{
    QList<quint8> ids { 0, 1, 2, 3, 4, 8 };
    for (const FileDefinition &file : engine.runningFirmware().files) {
        if (!ids.contains(file.fileId))
            ids << file.fileId;
    }
    if (engine.isInBootloader())
        ids << quint8(TMandatoryFileTypes::ApplicationFile) << quint8(TMandatoryFileTypes::BootloaderFile);
    return ids;
}

// A data-element file with the value of one element replaced.
QByteArray withValue(const QByteArray &image, quint16 id, const QByteArray &value)
{
    TFileWithDataElements file;
    TFileWithDataElements::fromByteArray(2, image, file);
    for (auto &element : file.elements) {
        if (element.id == id) {
            element.data = value;
            element.dataSize = quint8(value.size());
        }
    }
    return file.toByteArray();
}

} // namespace

class TestEngineFiles : public QObject
{
    Q_OBJECT

private slots:
    void readEveryFile_data();
    void readEveryFile();
    void structuredFilesDescribeTheDevice_data();
    void structuredFilesDescribeTheDevice();
    void fastReadStreamsWindows();
    void refusedReads_data();
    void refusedReads();
    void settingsRoundTrip();
    void writes_data();
    void writes();
    void chunksOutOfOrderAreRefused();
    void clearFile();
    void linkTiming();
    void stateValuesDriftOnEveryRead();
};

void TestEngineFiles::readEveryFile_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<quint8>("fileId");
    QTest::addColumn<TReadMode>("mode");
    for (const QString &id : sim_test::deviceIds()) {
        const DeviceEngine engine(sim_test::device(id));
        for (quint8 fileId : fileIdsOf(engine)) {
            QTest::addRow("%s file %d", qPrintable(id), fileId) << id << fileId << TReadMode::Ordinary;
            // Fast reading of file 0 fails in the master by design (its window check).
            if (fileId != 0)
                QTest::addRow("%s file %d fast", qPrintable(id), fileId) << id << fileId << TReadMode::Fast;
        }
    }
}

void TestEngineFiles::readEveryFile()
{
    QFETCH(QString, id);
    QFETCH(quint8, fileId);
    QFETCH(TReadMode, mode);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));

    const FileDefinition *listed = engine.runningFirmware().file(fileId);
    const bool image = fileId == quint8(TMandatoryFileTypes::ApplicationFile)
        || fileId == quint8(TMandatoryFileTypes::BootloaderFile);
    const bool readable = image ? false : (!listed || DeviceFileSystem::allows(listed->read, AccessLevel::Root));
    QByteArray bytes;
    TSystemFileResult refusal = TSystemFileResult::FileResultSuccess;
    const ReturnCode rc = master.readFile(fileId, mode, bytes, &refusal);
    if (!readable) {
        QCOMPARE(rc, ReturnCode::ErrAccessDenied);
        QCOMPARE(refusal, TSystemFileResult::FileResultOperationNotAllowed);
        return;
    }
    QCOMPARE(rc, ReturnCode::Ok);
    QCOMPARE(bytes, engine.fileImage(fileId));
    if (listed && fileId > 8)
        QCOMPARE(bytes, listed->content);
    // Every answer fitted the negotiated packet size.
    QCOMPARE(engine.counters().oversizedPackets, 0);
}

void TestEngineFiles::structuredFilesDescribeTheDevice_data()
{
    QTest::addColumn<QString>("id");
    for (const QString &id : sim_test::deviceIds())
        QTest::newRow(qPrintable(id)) << id;
}

void TestEngineFiles::structuredFilesDescribeTheDevice()
{
    QFETCH(QString, id);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const FirmwareDefinition &firmware = engine.runningFirmware();
    QByteArray bytes;

    QCOMPARE(master.readFile(0, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TApplicationInfoFile info;
    QCOMPARE(TApplicationInfoFile::fromByteArray(bytes, info), ReturnCode::Ok);
    QCOMPARE(info.ModelId, engine.definition().modelId);
    QCOMPARE(info.HardwareVersion, engine.definition().hardwareVersion);
    QCOMPARE(info.FirmwareVersion, firmware.version);
    QCOMPARE(info.Name, firmware.name);

    QCOMPARE(master.readFile(4, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TSlaveProfile profile;
    QCOMPARE(TSlaveProfile::fromByteArray(bytes, profile), ReturnCode::Ok);
    QCOMPARE(profile.elements.size(), firmware.profile.size());
    QCOMPARE(profile, firmware.slaveProfile());

    QCOMPARE(master.readFile(8, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    TFileTable table;
    QCOMPARE(TFileTable::fromByteArray(bytes, table), ReturnCode::Ok);
    QList<quint8> listedIds;
    for (const FileDefinition &file : firmware.files)
        listedIds << file.fileId;
    QCOMPARE(table.elements.size(), listedIds.size());
    for (int i = 0; i < table.elements.size(); ++i)
        QCOMPARE(table.elements.at(i), firmware.files.at(i).tableElement());

    // Settings and personalization hold the initial values in profile order.
    for (quint8 fileId : { quint8(1), quint8(2) }) {
        QCOMPARE(master.readFile(fileId, TReadMode::Ordinary, bytes), ReturnCode::Ok);
        TFileWithDataElements values;
        QCOMPARE(TFileWithDataElements::fromByteArray(fileId, bytes, values), ReturnCode::Ok);
        TSlaveProfile::Types type;
        QVERIFY(DeviceFileSystem::elementTypeOfFile(fileId, type));
        int index = 0;
        for (const ProfileEntry &entry : firmware.profile) {
            if (entry.element.type != type || entry.element.dataType == TSlaveProfile::DataTypes::TNoData)
                continue;
            QVERIFY(index < values.elements.size());
            QCOMPARE(values.elements.at(index).id, entry.element.id);
            QCOMPARE(values.elements.at(index).data, entry.value);
            QCOMPARE(int(values.elements.at(index).dataSize), int(entry.element.dataSize));
            ++index;
        }
        QCOMPARE(index, values.elements.size());
    }
}

void TestEngineFiles::fastReadStreamsWindows()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    engine.resetCounters();
    QByteArray bytes;
    QCOMPARE(master.readFile(20, TReadMode::Fast, bytes), ReturnCode::Ok);
    QCOMPARE(bytes.size(), 65536);
    // The opening request, then windows of 10000 bytes: six full ones and 5535 bytes.
    QCOMPARE(engine.counters().received(TPayloadType::FileChunkRequest), 8);
    QCOMPARE(engine.counters().packetsSent, 1 + 6 * 46 + 26);

    engine.resetCounters();
    QCOMPARE(master.readFile(20, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QCOMPARE(engine.counters().received(TPayloadType::FileChunkRequest), 1 + 301);
    QCOMPARE(engine.counters().packetsSent, 1 + 301);
}

void TestEngineFiles::refusedReads_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("root");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<TSystemFileResult>("status");
    auto chunkRequest = [](quint8 fileId, quint32 addr, quint16 size) {
        TChunkRequest request;
        request.fileId = fileId;
        request.addr = addr;
        request.dataSize = size;
        return request.toPayload();
    };
    QTest::newRow("root-only file as user")
        << "fm200" << false << chunkRequest(21, 0, 1) << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("hidden file") << "gw4" << true << chunkRequest(33, 0, 1)
                                 << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("unknown file") << "fm200" << true << chunkRequest(99, 0, 1)
                                  << TSystemFileResult::UnknownFileIdentifier;
    QTest::newRow("firmware image") << "vc1" << true << chunkRequest(6, 0, 1)
                                    << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("beyond the end") << "fm200" << true << chunkRequest(17, 100000, 10)
                                    << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("malformed request") << "fm200" << true << chunkRequest(17, 0, 1).left(7)
                                       << TSystemFileResult::FileResultUnknownError;
}

void TestEngineFiles::refusedReads()
{
    QFETCH(QString, id);
    QFETCH(bool, root);
    QFETCH(QByteArray, request);
    QFETCH(TSystemFileResult, status);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), root));
    const QList<TPacket> answers = master.exchange(master.request(request));
    QCOMPARE(answers.size(), 1);
    TChunkAccept accept;
    QCOMPARE(answers.first().toChunkAccept(accept), ReturnCode::Ok);
    QCOMPARE(accept.status, status);
}

void TestEngineFiles::settingsRoundTrip()
{
    const DeviceDefinition definition = sim_test::device(QStringLiteral("fm200"));
    DeviceEngine engine(definition);
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, definition, false));
    QByteArray settings;
    QCOMPARE(master.readFile(2, TReadMode::Ordinary, settings), ReturnCode::Ok);
    TSystemFileResult status;
    const QByteArray written = withValue(settings, 100, QByteArray::fromHex("fa00"));
    QCOMPARE(master.writeFile(2, written, 0, status), ReturnCode::Ok);
    QCOMPARE(status, TSystemFileResult::FileResultSuccess);

    QByteArray readBack;
    QCOMPARE(master.readFile(2, TReadMode::Ordinary, readBack), ReturnCode::Ok);
    QCOMPARE(readBack, written);
    QCOMPARE(engine.value(100), QByteArray::fromHex("fa00"));
    // The definition is untouched: a second device from it starts with the old value.
    QCOMPARE(DeviceEngine(definition).value(100), QByteArray::fromHex("6400"));
}

void TestEngineFiles::writes_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("root");
    QTest::addColumn<quint8>("fileId");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<TSystemFileResult>("status");
    QTest::addColumn<quint16>("elementId");
    QTest::addColumn<QByteArray>("valueAfter");

    const DeviceEngine fm200(sim_test::device(QStringLiteral("fm200")));
    const QByteArray settings = fm200.fileImage(2);
    const QByteArray lowBattery = withValue(settings, 103, QByteArray::fromHex("b80b")); // 3000 mV, root only
    QByteArray badCrc = settings;
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
    TFileWithDataElements foreign;
    foreign.fileId = 2;
    foreign.elements = { { 2, 200, QByteArray::fromHex("0000") } }; // a state value in the settings file
    const QByteArray wrongSize = withValue(settings, 100, QByteArray::fromHex("640000"));
    const QByteArray unchanged = fm200.value(103);

    QTest::newRow("root-editable value by user")
        << "fm200" << false << quint8(2) << lowBattery << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(103) << unchanged;
    QTest::newRow("root-editable value by root")
        << "fm200" << true << quint8(2) << lowBattery << TSystemFileResult::FileResultSuccess << quint16(103)
        << QByteArray::fromHex("b80b");
    QTest::newRow("bad CRC") << "fm200" << true << quint8(2) << badCrc << TSystemFileResult::FileResultCrcError
                             << quint16(103) << unchanged;
    QTest::newRow("element of another file")
        << "fm200" << true << quint8(2) << foreign.toByteArray() << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(200) << fm200.value(200);
    QTest::newRow("wrong value size") << "fm200" << true << quint8(2) << wrongSize
                                      << TSystemFileResult::FileResultOperationNotAllowed << quint16(100)
                                      << fm200.value(100);
    QTest::newRow("too big") << "fm200" << true << quint8(2) << QByteArray(5000, 'x')
                             << TSystemFileResult::FileSizeTooBig << quint16(100) << fm200.value(100);
    QTest::newRow("state file") << "fm200" << true << quint8(3) << fm200.fileImage(3)
                                << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
    QTest::newRow("generated file") << "fm200" << true << quint8(4) << QByteArray("x")
                                    << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
    QTest::newRow("firmware outside the bootloader")
        << "fm200" << true << quint8(6) << QByteArray(64, 'f') << TSystemFileResult::FileResultOperationNotAllowed
        << quint16(0) << QByteArray();
    QTest::newRow("unknown file") << "fm200" << true << quint8(77) << QByteArray("x")
                                  << TSystemFileResult::UnknownFileIdentifier << quint16(0) << QByteArray();
    QTest::newRow("raw file by root") << "gw4" << true << quint8(31) << QByteArray("apn=test\n")
                                      << TSystemFileResult::FileResultSuccess << quint16(0) << QByteArray();
    QTest::newRow("raw file by user") << "gw4" << false << quint8(31) << QByteArray("apn=test\n")
                                      << TSystemFileResult::FileResultOperationNotAllowed << quint16(0) << QByteArray();
}

void TestEngineFiles::writes()
{
    QFETCH(QString, id);
    QFETCH(bool, root);
    QFETCH(quint8, fileId);
    QFETCH(QByteArray, data);
    QFETCH(TSystemFileResult, status);
    QFETCH(quint16, elementId);
    QFETCH(QByteArray, valueAfter);
    DeviceEngine engine(sim_test::device(id));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), root));
    const QByteArray before = engine.fileImage(fileId);
    TSystemFileResult answered;
    const ReturnCode rc = master.writeFile(fileId, data, fileId > 8 ? 4 : 0, answered);
    QCOMPARE(answered, status);
    QCOMPARE(rc, status == TSystemFileResult::FileResultSuccess ? ReturnCode::Ok : ReturnCode::ErrAccessDenied);
    if (elementId != 0)
        QCOMPARE(engine.value(elementId), valueAfter);
    else if (fileId > 8)
        QCOMPARE(engine.fileImage(fileId), status == TSystemFileResult::FileResultSuccess ? data : before);
}

void TestEngineFiles::chunksOutOfOrderAreRefused()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("gw4")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const QByteArray content = engine.fileImage(31);
    TChunkedFile chunks = TFileTransfer::cutIntoChunks(QByteArray(300, 'n'), 31, 0, 300, 100);
    auto send = [&](const TChunk &chunk) {
        TChunkAccept accept;
        const QList<TPacket> answers = master.exchange(master.request(chunk.toPayload()));
        return answers.size() == 1 && answers.first().toChunkAccept(accept) == ReturnCode::Ok
            ? accept.status
            : TSystemFileResult::FileResultUnknownError;
    };
    QCOMPARE(send(chunks.at(1)), TSystemFileResult::FileResultOperationNotAllowed); // no write began
    QCOMPARE(send(chunks.at(0)), TSystemFileResult::FileResultSuccess);
    QCOMPARE(send(chunks.at(2)), TSystemFileResult::FileResultOperationNotAllowed); // a gap
    QCOMPARE(send(chunks.at(1)), TSystemFileResult::FileResultOperationNotAllowed); // the write was abandoned
    QCOMPARE(engine.fileImage(31), content);
}

void TestEngineFiles::clearFile()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition(), false));
    const QByteArray log = engine.fileImage(17);
    QVERIFY(!log.isEmpty());
    TFileClearResponse response;
    // The log may be cleared by root only.
    QCOMPARE(master.clearFile(17, response), ReturnCode::ErrParsingWrongPayloadType);
    QCOMPARE(engine.fileImage(17), log);

    QVERIFY(sim_test::logIn(master, engine.definition(), true));
    QCOMPARE(master.clearFile(17, response), ReturnCode::Ok);
    QCOMPARE(response.fileId, quint8(17));
    QByteArray bytes = "not empty";
    QCOMPARE(master.readFile(17, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QVERIFY(bytes.isEmpty());
}

void TestEngineFiles::linkTiming()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const LinkModel link = engine.linkModel();
    QCOMPARE(link.connectionIntervalUs, qint64(15000));
    QCOMPARE(link.packetsPerEvent, 4);
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));

    TChunkRequest window;
    window.fileId = 20;
    window.dataSize = 2000;
    const QByteArray request = sim_test::request(engine, window.toPayload());
    for (const ReplyItem &item : engine.handleBytes(request))
        QCOMPARE(item.delayUs, qint64(0));
    QCOMPARE(engine.counters().linkTimeUs, qint64(0));

    engine.setLinkTimingEnabled(true);
    const ReplyItems items = engine.handleBytes(request);
    QCOMPARE(items.size(), 10); // 2000 bytes in chunks of 218
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items.at(i).delayUs, qint64(15000) * (1 + i / 4));
    // The request's way to the device, then the window up to its last chunk.
    QCOMPARE(engine.counters().linkTimeUs, qint64(15000) + qint64(15000) * 3);

    // Stop-and-wait reading takes two intervals per request on the master's clock.
    ProtocolMaster timed(engine);
    QVERIFY(sim_test::logIn(timed, engine.definition()));
    const qint64 start = timed.nowUs();
    const qint64 linkTimeBefore = engine.counters().linkTimeUs;
    QByteArray bytes;
    QCOMPARE(timed.readFile(20, TReadMode::Ordinary, bytes), ReturnCode::Ok);
    QCOMPARE(timed.nowUs() - start, qint64(1 + 301) * 2 * 15000);
    // The counted link time is the master's clock of the same exchange.
    QCOMPARE(engine.counters().linkTimeUs - linkTimeBefore, timed.nowUs() - start);
}

void TestEngineFiles::stateValuesDriftOnEveryRead()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    QList<qint64> flow;
    for (int read = 0; read < 3; ++read) {
        QByteArray bytes;
        QCOMPARE(master.readFile(3, TReadMode::Ordinary, bytes), ReturnCode::Ok);
        TFileWithDataElements state;
        QCOMPARE(TFileWithDataElements::fromByteArray(3, bytes, state), ReturnCode::Ok);
        for (const auto &element : std::as_const(state.elements)) {
            if (element.id == 200)
                flow << qFromLittleEndian<quint32>(element.data.constData());
        }
    }
    QCOMPARE(flow, (QList<qint64> { 1257, 1264, 1271 }));
}

QTEST_GUILESS_MAIN(TestEngineFiles)
#include "tst_engine_files.moc"
