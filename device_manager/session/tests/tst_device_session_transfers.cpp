// File reads and writes of the device session against the simulated devices: structured and raw
// files, ordinary and fast reading, chunk sizes, refusals by the device and unusable packet sizes.

#include "device_manager/session/tests/session_harness.h"
#include "testing/log_capture.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_request.h"

#include <QtTest>

using namespace session_testing;
using device_manager::VkDevice;
using v_protocol::TMandatoryFileTypes;
using v_protocol::TPacket;
using v_protocol::TPayloadType;

namespace {

// The payloads of one type among `packets`, decoded.
template<typename Payload>
QList<Payload> decoded(const QList<TPacket> &packets, TPayloadType type, ReturnCode (TPacket::*decode)(Payload &) const)
{
    QList<Payload> payloads;
    for (const TPacket &packet : packets) {
        Payload payload;
        if (packet.payloadType == type && (packet.*decode)(payload) == ReturnCode::Ok)
            payloads << payload;
    }
    return payloads;
}

QList<v_protocol::TChunkRequest> chunkRequests(const QList<TPacket> &packets)
{
    return decoded(packets, TPayloadType::FileChunkRequest, &TPacket::toChunkRequest);
}

QList<v_protocol::TChunk> writtenChunks(const QList<TPacket> &packets)
{
    return decoded(packets, TPayloadType::FileChunk, &TPacket::toChunk);
}

// The one result of the last operation; fails the test unless there is exactly one.
SessionResult onlyResult(const SessionHarness &harness)
{
    const QList<SessionResult> &results = harness.recorder->results();
    if (results.size() != 1) {
        qWarning() << "expected one result, got" << results.size();
        return SessionResult();
    }
    return results.first();
}

// Every file of fm200 plus an empty and a one-byte raw file.
simulator::DeviceDefinition fm200WithTinyFiles()
{
    simulator::DeviceDefinition definition = shippedDevice(QStringLiteral("fm200"));
    simulator::FileDefinition empty;
    empty.fileId = 40;
    empty.name = QStringLiteral("empty");
    empty.maxSize = 16;
    simulator::FileDefinition oneByte = empty;
    oneByte.fileId = 41;
    oneByte.name = QStringLiteral("one byte");
    oneByte.content = QByteArray("Z");
    definition.application.files << empty << oneByte;
    return definition;
}

} // namespace

class TestDeviceSessionTransfers : public QObject
{
    Q_OBJECT

private slots:
    void readsStructuredFiles_data();
    void readsStructuredFiles();
    void readsRawFiles_data();
    void readsRawFiles();
    void fastReadAsksForWindows();
    void writesInChunksOfTheNegotiatedSize_data();
    void writesInChunksOfTheNegotiatedSize();
    void writeRefusedForItsSize_data();
    void writeRefusedForItsSize();
    void unusablePacketSizeRefusesTransfers_data();
    void unusablePacketSizeRefusesTransfers();
    void refusedChunks_data();
    void refusedChunks();
    void structuredReadAnsweredWithAnotherFile_data();
    void structuredReadAnsweredWithAnotherFile();
    void everyChunkRestartsTheAnswerTimer();
    void answersInsideTheSendingCall();
};

void TestDeviceSessionTransfers::readsStructuredFiles_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("fileId");
    QTest::addColumn<QString>("signal");

    const QList<QPair<int, const char *>> files { { 0, "applicationInfoFileReceived" },
        { 1, "fileWithDataElementsReceived" }, { 2, "fileWithDataElementsReceived" },
        { 3, "fileWithDataElementsReceived" }, { 4, "slaveProfileReceived" }, { 8, "fileTableReceived" } };
    for (const char *device : { "fm200", "gw4", "vc1" }) {
        for (const auto &file : files) {
            QTest::addRow("%s file %d", device, file.first)
                << QString::fromLatin1(device) << file.first << QString::fromLatin1(file.second);
        }
    }
}

void TestDeviceSessionTransfers::readsStructuredFiles()
{
    QFETCH(QString, device);
    QFETCH(int, fileId);
    QFETCH(QString, signal);

    SessionHarness harness(device);
    QVERIFY(harness.logIn());
    QCOMPARE(harness.session->requestFile(TMandatoryFileTypes(fileId)), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const SessionResult result = onlyResult(harness);
    QCOMPARE(result.signal, signal);
    QVERIFY(result.isValid);
    // The device's image now is what it sent (a state read moves the drifting values before it).
    const QByteArray image = harness.link.engine().fileImage(quint8(fileId));
    switch (TMandatoryFileTypes(fileId)) {
    case TMandatoryFileTypes::ApplicationInfoFile: {
        v_protocol::TApplicationInfoFile expected;
        QCOMPARE(v_protocol::TApplicationInfoFile::fromByteArray(image, expected), ReturnCode::Ok);
        QCOMPARE(result.value.value<v_protocol::TApplicationInfoFile>(), expected);
        QCOMPARE(expected.Name, harness.link.engine().runningFirmware().name);
        break;
    }
    case TMandatoryFileTypes::SlaveProfile: {
        v_protocol::TSlaveProfile expected;
        QCOMPARE(v_protocol::TSlaveProfile::fromByteArray(image, expected), ReturnCode::Ok);
        QCOMPARE(result.value.value<v_protocol::TSlaveProfile>(), expected);
        break;
    }
    case TMandatoryFileTypes::FileInfo: {
        v_protocol::TFileTable expected;
        QCOMPARE(v_protocol::TFileTable::fromByteArray(image, expected), ReturnCode::Ok);
        QCOMPARE(result.value.value<v_protocol::TFileTable>(), expected);
        break;
    }
    default: {
        v_protocol::TFileWithDataElements expected;
        QCOMPARE(v_protocol::TFileWithDataElements::fromByteArray(quint8(fileId), image, expected), ReturnCode::Ok);
        QCOMPARE(result.value.value<v_protocol::TFileWithDataElements>(), expected);
        QCOMPARE(result.fileId, fileId);
        break;
    }
    }

    // Ordinary reading: the opening request, then contiguous requests within the chunk size.
    const QList<v_protocol::TChunkRequest> requests = chunkRequests(harness.link.requests());
    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests.first().addr, quint32(0));
    QCOMPARE(requests.first().dataSize, quint16(1));
    for (int i = 1; i < requests.size(); ++i) {
        QCOMPARE(requests.at(i).fileId, quint8(fileId));
        QCOMPARE(quint64(requests.at(i).addr), requests.at(i - 1).end());
        QVERIFY(requests.at(i).dataSize <= harness.session->maximumChunkDataSize());
    }
}

void TestDeviceSessionTransfers::readsRawFiles_data()
{
    QTest::addColumn<int>("fileId");
    QTest::addColumn<bool>("fast");

    QTest::newRow("event log") << 17 << false;
    QTest::newRow("event log, fast") << 17 << true;
    QTest::newRow("64 KiB archive") << 20 << false;
    QTest::newRow("64 KiB archive, fast") << 20 << true;
    QTest::newRow("root-only calibration") << 21 << false;
    QTest::newRow("one byte") << 41 << false;
    QTest::newRow("one byte, fast") << 41 << true;
    QTest::newRow("empty") << 40 << false;
}

void TestDeviceSessionTransfers::readsRawFiles()
{
    QFETCH(int, fileId);
    QFETCH(bool, fast);

    SessionHarness harness(fm200WithTinyFiles());
    QVERIFY(harness.logIn());
    QCOMPARE(harness.session->requestRawFile(uint8_t(fileId), fast), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const SessionResult result = onlyResult(harness);
    QCOMPARE(result.signal, QStringLiteral("rawFileReceived"));
    QVERIFY(result.isValid);
    QCOMPARE(result.fileId, fileId);
    const QByteArray image = harness.link.engine().fileImage(quint8(fileId));
    QCOMPARE(result.value.toByteArray(), image);
    if (image.size() <= 1) // complete with the answer to the opening request
        QCOMPARE(harness.link.requests().size(), 2); // authentication and the opening request
    QCOMPARE(harness.recorder->progress().last().percentage, 100);
}

void TestDeviceSessionTransfers::fastReadAsksForWindows()
{
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    QCOMPARE(harness.link.engine().fileImage(20).size(), 65536);
    QCOMPARE(harness.session->requestRawFile(20, true), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    QList<int> sizes;
    for (const v_protocol::TChunkRequest &request : chunkRequests(harness.link.requests()))
        sizes << request.dataSize;
    QCOMPARE(sizes, (QList<int> { 1, 10000, 10000, 10000, 10000, 10000, 10000, 5535 }));
    QCOMPARE(onlyResult(harness).value.toByteArray(), harness.link.engine().fileImage(20));
}

void TestDeviceSessionTransfers::writesInChunksOfTheNegotiatedSize_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("interfaceSize");
    QTest::addColumn<int>("fileId");
    QTest::addColumn<int>("length"); // raw files: bytes written; settings: the file as it is
    QTest::addColumn<QList<int>>("chunkSizes");

    QTest::newRow("raw, 1000 bytes at 218, aligned to 216")
        << "gw4" << -1 << 31 << 1000 << QList<int> { 216, 216, 216, 216, 136 };
    QTest::newRow("raw, interface 185: 159 aligned to 156") << "fm200" << 185 << 21 << 200 << QList<int> { 156, 44 };
    QTest::newRow("raw, interface 41: 15 aligned to 12") << "fm200" << 41 << 21 << 30 << QList<int> { 12, 12, 6 };
    QTest::newRow("settings, interface 41: 15 unaligned") << "fm200" << 41 << 2 << 0 << QList<int>();
}

void TestDeviceSessionTransfers::writesInChunksOfTheNegotiatedSize()
{
    QFETCH(QString, device);
    QFETCH(int, interfaceSize);
    QFETCH(int, fileId);
    QFETCH(int, length);
    QFETCH(QList<int>, chunkSizes);

    SessionHarness harness(device);
    harness.link.setInterfacePacketSize(interfaceSize);
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    const int sentBefore = harness.link.requests().size();

    QByteArray written;
    if (fileId == int(TMandatoryFileTypes::SettingsFile)) {
        v_protocol::TFileWithDataElements settings;
        QCOMPARE(v_protocol::TFileWithDataElements::fromByteArray(
                     quint8(fileId), harness.link.engine().fileImage(quint8(fileId)), settings),
            ReturnCode::Ok);
        for (v_protocol::TFileWithDataElements::Element &element : settings.elements) {
            if (element.id == 104) // logging interval, s
                element.data = QByteArray::fromHex("7800");
        }
        written = settings.toByteArray();
        const int chunk = session.maximumChunkDataSize();
        for (int rest = int(written.size()); rest > 0; rest -= chunk)
            chunkSizes << qMin(rest, chunk);
        QCOMPARE(session.sendFileWithDataElements(settings), ReturnCode::Ok);
    } else {
        for (int i = 0; i < length; ++i)
            written.append(char('A' + i % 26));
        QCOMPARE(session.sendRawFile(uint8_t(fileId), written), ReturnCode::Ok);
    }
    QVERIFY(harness.waitUntilIdle());

    const SessionResult result = onlyResult(harness);
    QCOMPARE(result.signal,
        fileId > 3 ? QStringLiteral("rawFileTransmitted") : QStringLiteral("fileWithDataElementsTransmitted"));
    QVERIFY(result.isValid);
    QCOMPARE(result.fileId, fileId);

    const QList<TPacket> sent = harness.link.requests().mid(sentBefore);
    const QList<v_protocol::TChunk> chunks = writtenChunks(sent);
    QCOMPARE(chunks.size(), sent.size());
    QList<int> sizes;
    quint32 addr = 0;
    for (int i = 0; i < chunks.size(); ++i) {
        QCOMPARE(chunks.at(i).addr, addr);
        QCOMPARE(chunks.at(i).fileSize, quint32(written.size()));
        QVERIFY(sent.at(i).size <= session.maximumPacketSize());
        sizes << chunks.at(i).dataSize;
        addr += chunks.at(i).dataSize;
    }
    QCOMPARE(sizes, chunkSizes);
    if (fileId == int(TMandatoryFileTypes::SettingsFile))
        QCOMPARE(harness.link.engine().value(104), QByteArray::fromHex("7800"));
    else
        QCOMPARE(harness.link.engine().fileImage(quint8(fileId)), written);
}

void TestDeviceSessionTransfers::writeRefusedForItsSize_data()
{
    QTest::addColumn<int>("fileId");
    QTest::addColumn<int>("length"); // raw files; 0 for the settings file as it is
    QTest::addColumn<bool>("injected"); // FileSizeTooBig from the failure mode, or from the file's maxSize
    QTest::addColumn<QString>("signal");

    QTest::newRow("settings file") << 2 << 0 << true << "fileWithDataElementsTransmitted";
    QTest::newRow("raw file 9") << 9 << 100 << true << "rawFileTransmitted";
    QTest::newRow("raw file beyond its 256 bytes") << 21 << 300 << false << "rawFileTransmitted";
}

void TestDeviceSessionTransfers::writeRefusedForItsSize()
{
    QFETCH(int, fileId);
    QFETCH(int, length);
    QFETCH(bool, injected);
    QFETCH(QString, signal);

    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    if (injected)
        harness.link.engine().setFailure(simulator::FailureInjection::of(simulator::FailureMode::AcceptFileSizeTooBig));
    vk_testing::LogCapture log;
    if (length == 0) {
        v_protocol::TFileWithDataElements settings;
        QCOMPARE(v_protocol::TFileWithDataElements::fromByteArray(2, harness.link.engine().fileImage(2), settings),
            ReturnCode::Ok);
        QCOMPARE(harness.session->sendFileWithDataElements(settings), ReturnCode::Ok);
    } else {
        QCOMPARE(harness.session->sendRawFile(uint8_t(fileId), QByteArray(length, 'x')), ReturnCode::Ok);
    }
    QVERIFY(harness.waitUntilIdle());

    const SessionResult result = onlyResult(harness);
    QCOMPARE(result.signal, signal);
    QVERIFY(!result.isValid);
    QCOMPARE(result.fileId, fileId);
    const QString status = QStringLiteral("v_protocol::TSystemFileResult::FileSizeTooBig");
    QVERIFY(harness.recorder->hasNote(
        QStringLiteral("Internal error"), QStringLiteral("Invalid TChunkAccept.status ") + status));
    QVERIFY(harness.recorder->hasNote(
        QStringLiteral("Warning"), QStringLiteral("Process invalid work with file: type[2], subtype[%1]").arg(fileId)));
    QVERIFY(harness.recorder->hasNote(
        QStringLiteral("Warning"), QStringLiteral("Process invalid work with file: emit invalid ") + signal));
    QVERIFY(log.texts().contains(QStringLiteral("Invalid TChunkAccept.status  \"%1\"").arg(status)));
    QVERIFY(harness.recorder->errors().isEmpty());
}

void TestDeviceSessionTransfers::unusablePacketSizeRefusesTransfers_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<bool>("isValid");
    QTest::addColumn<int>("chunkPacketsSent"); // chunks or chunk requests that went out

    QTest::newRow("raw write") << "raw write"
                               << "rawFileTransmitted" << false << 0;
    QTest::newRow("settings write") << "settings write"
                                    << "fileWithDataElementsTransmitted" << false << 0;
    QTest::newRow("ordinary read stops after the opening request") << "read"
                                                                   << "rawFileReceived" << false << 1;
    QTest::newRow("structured read likewise") << "settings read"
                                              << "fileWithDataElementsReceived" << false << 1;
    // Fast windows do not depend on the chunk size: the device streams chunks of its own size.
    QTest::newRow("fast read") << "fast read"
                               << "rawFileReceived" << true << 2;
}

void TestDeviceSessionTransfers::unusablePacketSizeRefusesTransfers()
{
    QFETCH(QString, operation);
    QFETCH(QString, signal);
    QFETCH(bool, isValid);
    QFETCH(int, chunkPacketsSent);

    // The device announces a packet size of 0 (it still answers in chunks of its real size) and the
    // interface reports no limit: no chunk can carry file data.
    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(-1);
    harness.link.setAnswerFilter([](TPacket &packet) {
        v_protocol::TAuthResponse response;
        if (packet.payloadType == TPayloadType::AuthenticationResponse
            && packet.toAuthResponse(response) == ReturnCode::Ok) {
            response.maxPacketSize = 0;
            packet = TPacket::makeResponse(response.toPayload(), packet.uid, packet.slaveSerial, packet.masterUid);
        }
    });
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    QCOMPARE(session.maximumChunkDataSize(), -26);
    const int sentBefore = harness.link.requests().size();

    if (operation == QLatin1String("raw write")) {
        QCOMPARE(session.sendRawFile(21, QByteArray(20, 'x')), ReturnCode::ErrArgumentBadValue);
    } else if (operation == QLatin1String("settings write")) {
        v_protocol::TFileWithDataElements settings;
        QCOMPARE(v_protocol::TFileWithDataElements::fromByteArray(2, harness.link.engine().fileImage(2), settings),
            ReturnCode::Ok);
        QCOMPARE(session.sendFileWithDataElements(settings), ReturnCode::ErrArgumentBadValue);
    } else if (operation == QLatin1String("settings read")) {
        QCOMPARE(session.requestFile(TMandatoryFileTypes::SettingsFile), ReturnCode::Ok);
    } else {
        QCOMPARE(session.requestRawFile(17, operation == QLatin1String("fast read")), ReturnCode::Ok);
    }
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok); // the queue goes on
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> results = harness.recorder->results();
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).signal, signal);
    QCOMPARE(results.at(0).isValid, isValid);
    QCOMPARE(results.at(1).signal, QStringLiteral("commandConfirmReceived"));
    QVERIFY(results.at(1).isValid);
    const QList<TPacket> sent = harness.link.requests().mid(sentBefore);
    QCOMPARE(sent.size(), chunkPacketsSent + 1);
    if (!isValid && chunkPacketsSent == 1) {
        const int fileId = operation == QLatin1String("read") ? 17 : 2;
        QVERIFY(harness.recorder->hasNote(
            QStringLiteral("Error"), QStringLiteral("Invalid maximum chunk data size Id[%1]!").arg(fileId)));
    }
}

void TestDeviceSessionTransfers::refusedChunks_data()
{
    QTest::addColumn<int>("fileId");
    QTest::addColumn<bool>("fast");
    QTest::addColumn<QString>("shift"); // how the device's chunks are spoiled
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("requestsSent");

    QTest::newRow("chunk beyond the file") << 17 << false << "beyond"
                                           << "Invalid file size Id[17]!" << 1;
    QTest::newRow("chunk beyond the file, fast") << 20 << true << "beyond"
                                                 << "Invalid file size Id[20]!" << 1;
    QTest::newRow("chunk not where the file ends") << 20 << false << "addr"
                                                   << "Unexpected chunk addr Id[20]!" << 2;
    QTest::newRow("fast read of file 0") << 0 << true << ""
                                         << "Invalid chunkRequest for fast reading Id[0]!" << 1;
}

void TestDeviceSessionTransfers::refusedChunks()
{
    QFETCH(int, fileId);
    QFETCH(bool, fast);
    QFETCH(QString, shift);
    QFETCH(QString, note);
    QFETCH(int, requestsSent);

    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    if (shift == QLatin1String("beyond"))
        harness.link.engine().setFailure(simulator::FailureInjection::of(simulator::FailureMode::ChunkBeyondFileSize));
    if (shift == QLatin1String("addr")) {
        harness.link.setAnswerFilter([](TPacket &packet) {
            v_protocol::TChunk chunk;
            if (packet.payloadType == TPayloadType::FileChunk && packet.toChunk(chunk) == ReturnCode::Ok
                && chunk.addr > 0) {
                chunk.addr += 4; // a gap of four bytes
                packet = TPacket::makeResponse(chunk.toPayload(), packet.uid, packet.slaveSerial, packet.masterUid);
            }
        });
    }
    const int sentBefore = harness.link.requests().size();
    QCOMPARE(harness.session->requestRawFile(uint8_t(fileId), fast), ReturnCode::Ok);
    QCOMPARE(harness.session->sendCommand(301, QByteArray()), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> results = harness.recorder->results();
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).signal, QStringLiteral("rawFileReceived"));
    QVERIFY(!results.at(0).isValid);
    QCOMPARE(results.at(0).fileId, fileId);
    QVERIFY(results.at(0).value.toByteArray().isEmpty());
    QVERIFY(results.at(1).isValid);
    QVERIFY(harness.recorder->hasNote(QStringLiteral("Error"), note));
    QVERIFY(harness.recorder->hasNote(
        QStringLiteral("Warning"), QStringLiteral("Process invalid work with file: emit invalid rawFileReceived")));
    const QList<v_protocol::TChunkRequest> requests = chunkRequests(harness.link.requests().mid(sentBefore));
    QCOMPARE(requests.size(), requestsSent);
}

void TestDeviceSessionTransfers::structuredReadAnsweredWithAnotherFile_data()
{
    QTest::addColumn<int>("answeredId");

    QTest::newRow("firmware image") << 6; // a file the session never decodes
    QTest::newRow("file table") << 8;
    QTest::newRow("raw file") << 17;
}

void TestDeviceSessionTransfers::structuredReadAnsweredWithAnotherFile()
{
    QFETCH(int, answeredId);

    // The settings are asked for; the device labels its chunks with another file id.
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    harness.link.setAnswerFilter([answeredId](TPacket &packet) {
        v_protocol::TChunk chunk;
        if (packet.payloadType == TPayloadType::FileChunk && packet.toChunk(chunk) == ReturnCode::Ok) {
            chunk.fileId = quint8(answeredId);
            packet = TPacket::makeResponse(chunk.toPayload(), packet.uid, packet.slaveSerial, packet.masterUid);
        }
    });
    QCOMPARE(harness.session->requestFile(TMandatoryFileTypes::SettingsFile), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const SessionResult result = onlyResult(harness);
    QCOMPARE(result.signal, QStringLiteral("fileWithDataElementsReceived"));
    QVERIFY(!result.isValid);
}

void TestDeviceSessionTransfers::everyChunkRestartsTheAnswerTimer()
{
    // Each exchange takes two connection intervals of 100 ms; the whole read takes several times the
    // answer timer, which only a restart per chunk survives.
    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(100);
    QVERIFY(harness.logIn());
    simulator::LinkModel slow = harness.link.engine().linkModel();
    slow.connectionIntervalUs = 100000;
    harness.link.engine().setLinkModel(slow);
    harness.link.engine().setLinkTimingEnabled(true);
    const int timeoutMs = 450;
    harness.session->setTaskTimeouts({ timeoutMs, timeoutMs });
    const int sentBefore = harness.link.requests().size();

    QCOMPARE(harness.session->requestRawFile(17, false), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());
    const SessionResult result = onlyResult(harness);
    QVERIFY(result.isValid);
    QCOMPARE(result.value.toByteArray(), harness.link.engine().fileImage(17));
    const int exchanges = int(harness.link.requests().size() - sentBefore);
    QVERIFY2(exchanges * 2 * 100 > 2 * timeoutMs, "the read must outlast the answer timer");
}

void TestDeviceSessionTransfers::answersInsideTheSendingCall()
{
    // A link may hand the answer back before the write returns: the session must already wait for it,
    // and a long transfer on such a link must not nest one call per chunk (64 KiB in 74-byte chunks
    // would exhaust the stack).
    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(100);
    harness.link.setDeliverAtOnce(true);
    VkDevice &session = harness.start();
    session.authenticate();
    session.requestFile(TMandatoryFileTypes::SlaveProfile);
    session.requestRawFile(20, false);
    session.requestRawFile(20, true);
    session.sendRawFile(21, QByteArray(200, 's'));
    session.sendCommand(301, QByteArray());
    QVERIFY(harness.waitUntilIdle());

    QStringList signalNames;
    for (const SessionResult &result : harness.recorder->results()) {
        QVERIFY2(result.isValid, qPrintable(result.signal));
        signalNames << result.signal;
    }
    QCOMPARE(signalNames,
        (QStringList { "authSuccess", "slaveProfileReceived", "rawFileReceived", "rawFileReceived",
            "rawFileTransmitted", "commandConfirmReceived" }));
    const QByteArray archive = harness.link.engine().fileImage(20);
    QCOMPARE(harness.recorder->results().at(2).value.toByteArray(), archive);
    QCOMPARE(harness.recorder->results().at(3).value.toByteArray(), archive);
    QCOMPARE(harness.link.engine().fileImage(21), QByteArray(200, 's'));
    QCOMPARE(harness.link.deepestRequestNesting(), 1);
}

QTEST_GUILESS_MAIN(TestDeviceSessionTransfers)
#include "tst_device_session_transfers.moc"
