// Every failure mode against every request type: each produces exactly the bytes it claims, hits
// only the requests it aims at, and changes the device only as it says.
#include "sim_test_support.h"

#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_file_with_data_elements.h"

using namespace simulator;
using namespace v_protocol;

Q_DECLARE_METATYPE(simulator::FailureMode)

namespace {

// What the claim of `mode` makes of the normal answer, built independently of the engine.
ReplyItems expectedItems(FailureMode mode, TPayloadType requestType, const ReplyItems &normal,
    const DeviceEngine &engine, qint64 slowDelayUs)
{
    const QList<TPacket> packets = sim_test::packetsOf(normal);
    auto item = [](const TPacket &packet, qint64 delay = 0) {
        return ReplyItem { ReplyItem::Kind::Packet, packet.toByteArray(), delay };
    };
    auto rebuilt = [](const TPacket &packet, const QByteArray &payload) {
        return TPacket::makeResponse(payload, packet.uid, packet.slaveSerial, packet.masterUid);
    };
    ReplyItems expected;
    TSystemFileResult status;
    if (acceptStatusOf(mode, status)) {
        TChunkAccept accept;
        accept.status = status;
        const TPacket request = packets.value(0);
        return { item(TPacket::makeResponse(accept.toPayload(), request.uid, engine.definition().serial, kMasterUid)) };
    }
    switch (mode) {
    case FailureMode::NoAnswer: return {};
    case FailureMode::VerySlowAnswer:
        for (ReplyItem slow : normal) {
            slow.delayUs += slowDelayUs;
            expected << slow;
        }
        return expected;
    case FailureMode::DisconnectMidTransfer:
        for (int i = 0; i < packets.size() / 2; ++i)
            expected << item(packets.at(i));
        expected << ReplyItem { ReplyItem::Kind::LinkDrop, QByteArray(), 0 };
        return expected;
    case FailureMode::BusyAuthentication:
        if (requestType == TPayloadType::AuthenticationRequest) {
            TAuthResponse busy;
            busy.appType = engine.appType();
            busy.authResult = TAuthResult::Busy;
            busy.maxPacketSize = engine.runningFirmware().maxPacketSize;
            return { item(rebuilt(packets.first(), busy.toPayload())) };
        }
        return normal;
    default: break;
    }
    for (const TPacket &packet : packets) {
        QByteArray bytes = packet.toByteArray();
        QByteArray payload = packet.payloadData;
        TChunk chunk;
        switch (mode) {
        case FailureMode::CorruptedCrc:
            bytes[bytes.size() - 2] = char(bytes.at(bytes.size() - 2) ^ 0xFF);
            bytes[bytes.size() - 1] = char(bytes.at(bytes.size() - 1) ^ 0xFF);
            break;
        case FailureMode::ShortPacket: bytes.truncate(13); break;
        case FailureMode::WrongPayloadType:
            payload[0]
                = char(packet.payloadType == TPayloadType::CommandConfirmation ? TPayloadType::DebugResponse
                                                                               : TPayloadType::CommandConfirmation);
            bytes = rebuilt(packet, payload).toByteArray();
            break;
        case FailureMode::TruncatedPayload: bytes = rebuilt(packet, payload.chopped(1)).toByteArray(); break;
        case FailureMode::ChunkBeyondFileSize:
            if (packet.toChunk(chunk) == ReturnCode::Ok && chunk.dataSize > 0) {
                chunk.fileSize = chunk.addr + chunk.dataSize - 1;
                bytes = rebuilt(packet, chunk.toPayload()).toByteArray();
            }
            break;
        case FailureMode::ForeignSerial: {
            TPacket foreign = packet;
            foreign.slaveSerial = ~packet.slaveSerial;
            bytes = foreign.toByteArray();
            break;
        }
        default: break;
        }
        expected << ReplyItem { ReplyItem::Kind::Packet, bytes, 0 };
    }
    if (mode == FailureMode::LockoutAfterAuthentication && !packets.isEmpty())
        expected << item(rebuilt(packets.last(), QByteArray::fromHex("0a")));
    return expected;
}

// The settings file with the pulse weight changed: a write that changes the device when it is taken.
QByteArray changedSettings(const DeviceEngine &engine)
{
    TFileWithDataElements file;
    TFileWithDataElements::fromByteArray(2, engine.fileImage(2), file);
    file.elements[0].data = QByteArray::fromHex("3930"); // 12345
    return file.toByteArray();
}

QByteArray writeOf(const QByteArray &image)
{
    TChunk chunk;
    chunk.fileId = 2;
    chunk.fileSize = quint32(image.size());
    chunk.dataSize = quint16(image.size());
    chunk.data = image;
    return chunk.toPayload();
}

} // namespace

class TestFailureModes : public QObject
{
    Q_OBJECT

private slots:
    void everyModeEveryRequest_data();
    void everyModeEveryRequest();
    void namesAndDefaults();
    void skipAndHits();
    void refusingModesChangeNothing_data();
    void refusingModesChangeNothing();
    void damagedAnswersStillAct();
    void disconnectInTheMiddleOfAFastRead();
    void lockoutAfterAuthentication();
    void verySlowAnswersAddToLinkTiming();
};

void TestFailureModes::everyModeEveryRequest_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<FailureMode>("mode");
    QTest::addColumn<int>("caseIndex");
    for (const QString &id : { QStringLiteral("fm200"), QStringLiteral("gw4") }) {
        const DeviceEngine engine(sim_test::device(id));
        const auto cases = sim_test::requestCases(engine);
        for (FailureMode mode : allFailureModes()) {
            for (int i = 0; i < cases.size(); ++i)
                QTest::addRow("%s %s %s", qPrintable(id), qPrintable(toText(mode)), cases.at(i).name)
                    << id << mode << i;
        }
    }
}

void TestFailureModes::everyModeEveryRequest()
{
    QFETCH(QString, id);
    QFETCH(FailureMode, mode);
    QFETCH(int, caseIndex);
    DeviceEngine normal(sim_test::device(id));
    DeviceEngine failing(sim_test::device(id));
    const sim_test::RequestCase sent = sim_test::requestCases(normal).at(caseIndex);
    const auto type = TPayloadType(quint8(sent.payload.at(0)));
    if (type != TPayloadType::AuthenticationRequest) {
        ProtocolMaster first(normal);
        ProtocolMaster second(failing);
        QVERIFY(sim_test::logIn(first, normal.definition()));
        QVERIFY(sim_test::logIn(second, failing.definition()));
    }
    failing.setFailure(FailureInjection::of(mode, type));
    const QByteArray request = sim_test::request(normal, sent.payload);

    const ReplyItems expected
        = expectedItems(mode, type, normal.handleBytes(request), normal, failing.failure().delayUs);
    const ReplyItems items = failing.handleBytes(request);
    QCOMPARE(items.size(), expected.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items.at(i).kind, expected.at(i).kind);
        QCOMPARE(items.at(i).bytes.toHex(), expected.at(i).bytes.toHex());
        QCOMPARE(items.at(i).delayUs, expected.at(i).delayUs);
    }
    QCOMPARE(failing.counters().failuresInjected, 1);
    QCOMPARE(failing.isLinkUp(), mode != FailureMode::DisconnectMidTransfer);
}

void TestFailureModes::namesAndDefaults()
{
    const QList<FailureMode> modes = allFailureModes();
    QVERIFY(!modes.contains(FailureMode::None));
    QCOMPARE(modes.size(), QMetaEnum::fromType<FailureMode>().keyCount() - 1);
    for (FailureMode mode : modes) {
        FailureMode parsed = FailureMode::None;
        QVERIFY(failureModeFromText(toText(mode).toLower(), parsed));
        QCOMPARE(parsed, mode);
    }
    FailureMode unknown = FailureMode::NoAnswer;
    QVERIFY(!failureModeFromText(QStringLiteral("Flood"), unknown));
    QCOMPARE(FailureInjection::of(FailureMode::AcceptCrcError).target, std::optional(TPayloadType::FileChunk));
    QCOMPARE(FailureInjection::of(FailureMode::DisconnectMidTransfer).skip, 1);
    QVERIFY(!FailureInjection::of(FailureMode::CorruptedCrc).target.has_value());
    QCOMPARE(FailureInjection::of(FailureMode::DisconnectMidTransfer).description(),
        QStringLiteral("DisconnectMidTransfer -> FileChunkRequest after 1"));
}

void TestFailureModes::skipAndHits()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    FailureInjection failure = FailureInjection::of(FailureMode::NoAnswer, TPayloadType::DebugRequest, 2);
    failure.hits = 2;
    engine.setFailure(failure);
    const QByteArray debug = sim_test::request(engine, QByteArray(1, char(TPayloadType::DebugRequest)));
    const QByteArray command = sim_test::request(engine, QByteArray::fromHex("060504"));
    QList<int> answered;
    for (int i = 0; i < 6; ++i) {
        answered << int(engine.handleBytes(debug).size());
        QCOMPARE(engine.handleBytes(command).size(), 1); // other request types are not counted
    }
    QCOMPARE(answered, (QList<int> { 1, 1, 0, 0, 1, 1 }));
    QCOMPARE(engine.counters().failuresInjected, 2);

    engine.clearFailure();
    QCOMPARE(engine.handleBytes(debug).size(), 1);
}

void TestFailureModes::refusingModesChangeNothing_data()
{
    QTest::addColumn<FailureMode>("mode");
    QTest::newRow("NoAnswer") << FailureMode::NoAnswer;
    for (FailureMode mode : allFailureModes()) {
        TSystemFileResult status;
        if (acceptStatusOf(mode, status))
            QTest::newRow(qPrintable(toText(mode))) << mode;
    }
}

void TestFailureModes::refusingModesChangeNothing()
{
    QFETCH(FailureMode, mode);
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    const QByteArray before = engine.value(100);
    engine.setFailure(FailureInjection::of(mode, TPayloadType::FileChunk));
    engine.handleBytes(sim_test::request(engine, writeOf(changedSettings(engine))));
    QCOMPARE(engine.value(100), before);
}

void TestFailureModes::damagedAnswersStillAct()
{
    for (FailureMode mode : { FailureMode::CorruptedCrc, FailureMode::ShortPacket, FailureMode::ForeignSerial,
             FailureMode::WrongPayloadType, FailureMode::VerySlowAnswer }) {
        DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
        ProtocolMaster master(engine);
        QVERIFY(sim_test::logIn(master, engine.definition()));
        engine.setFailure(FailureInjection::of(mode, TPayloadType::FileChunk));
        QCOMPARE(engine.handleBytes(sim_test::request(engine, writeOf(changedSettings(engine)))).size(), 1);
        QCOMPARE(engine.value(100), QByteArray::fromHex("3930"));
    }
    // A busy device grants nothing, not even to the right password.
    DeviceEngine busy(sim_test::device(QStringLiteral("fm200")));
    busy.setFailure(FailureInjection::of(FailureMode::BusyAuthentication));
    ProtocolMaster master(busy);
    QVERIFY(!sim_test::logIn(master, busy.definition()));
    QCOMPARE(busy.accessLevel(), AccessLevel::None);
    QCOMPARE(busy.failedAuthentications(), 0);
}

void TestFailureModes::disconnectInTheMiddleOfAFastRead()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    ProtocolMaster master(engine);
    QVERIFY(sim_test::logIn(master, engine.definition()));
    engine.setFailure(FailureInjection::of(FailureMode::DisconnectMidTransfer));
    TChunkRequest opening = TFileTransfer::openingRequest(20);
    TChunkRequest window = TFileTransfer::nextRequest(20, 1, 65536, TFileTransfer::kFastReadWindow);
    bool dropped = true;
    QCOMPARE(master.exchange(master.request(opening.toPayload()), &dropped).size(), 1);
    QVERIFY(!dropped);
    QCOMPARE(master.exchange(master.request(window.toPayload()), &dropped).size(), 23); // half of 46 chunks
    QVERIFY(dropped);
    QVERIFY(!engine.isLinkUp());
    QCOMPARE(engine.counters().linkDrops, 1);

    // Nothing is answered until the carrier connects again, and then a password is needed first.
    QVERIFY(master.exchange(master.request(opening.toPayload())).isEmpty());
    QCOMPARE(engine.counters().ignoredPackets, 1);
    engine.connectLink();
    engine.clearFailure();
    TChunkAccept refusal;
    const QList<TPacket> answers = master.exchange(master.request(opening.toPayload()));
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().toChunkAccept(refusal), ReturnCode::Ok);
    QVERIFY(sim_test::logIn(master, engine.definition()));
}

void TestFailureModes::lockoutAfterAuthentication()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("gw4")));
    engine.setFailure(FailureInjection::of(FailureMode::LockoutAfterAuthentication));
    ProtocolMaster master(engine);
    const QList<TPacket> answers
        = master.exchange(master.request(TAuthRequest::fromPassword(engine.definition().userPassword).toPayload()));
    QCOMPARE(answers.size(), 2);
    TAuthResponse response;
    QCOMPARE(answers.at(0).toAuthResponse(response), ReturnCode::Ok);
    QCOMPARE(response.authResult, TAuthResult::SuccessUser);
    QCOMPARE(answers.at(1).payloadType, TPayloadType::Lockout);
    QCOMPARE(answers.at(1).uid, answers.at(0).uid);
}

void TestFailureModes::verySlowAnswersAddToLinkTiming()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("vc1")));
    engine.setLinkTimingEnabled(true);
    FailureInjection slow = FailureInjection::of(FailureMode::VerySlowAnswer);
    slow.delayUs = 25 * 1000 * 1000;
    engine.setFailure(slow);
    const ReplyItems items = engine.handleBytes(
        sim_test::request(engine, TAuthRequest::fromPassword(engine.definition().rootPassword).toPayload()));
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().delayUs, engine.linkModel().connectionIntervalUs + slow.delayUs);
    QCOMPARE(items.first().delayMs(), qint64(25008)); // 7.5 ms rounded up
}

QTEST_GUILESS_MAIN(TestFailureModes)
#include "tst_failure_modes.moc"
