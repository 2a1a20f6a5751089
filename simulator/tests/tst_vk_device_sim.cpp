// vk-device-sim as a child process: hex packets in, hex packets out, nothing else on standard output.
#include "sim_test_support.h"

#include "simulator/failure_mode.h"
#include "simulator/hex_lines.h"
#include "testing/process_run.h"

#include <QProcess>

using namespace simulator;
using namespace v_protocol;

namespace {

struct Run
{
    int exitCode = -1;
    QList<QByteArray> lines; // standard output, split at line feeds
    QByteArray errors;
};

Run run(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    const vk_testing::ProcessRun process = vk_testing::runProcess(
        QStringLiteral(VK_DEVICE_SIM), arguments, input, QProcessEnvironment::systemEnvironment(), 60000);
    Run result;
    if (!process.finished)
        return result;
    result.exitCode = process.status == QProcess::NormalExit ? process.exitCode : -1;
    result.lines = process.outLines();
    result.errors = process.err;
    return result;
}

QByteArray lineOf(const QByteArray &bytes)
{
    return HexLines::format(bytes).trimmed();
}

} // namespace

class TestVkDeviceSim : public QObject
{
    Q_OBJECT

private slots:
    void answersLikeTheEngine();
    void skipsWhatIsNotAPacket();
    void failureOptions();
    void linkDrop();
    void listings();
    void deviceFromFileAndUnknownDevice();
};

void TestVkDeviceSim::answersLikeTheEngine()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    QList<QByteArray> requests {
        sim_test::request(engine, TAuthRequest::fromPassword(QStringLiteral("4711")).toPayload(), 1),
        sim_test::request(engine, TFileTransfer::openingRequest(20).toPayload(), 2),
        sim_test::request(engine, TFileTransfer::nextRequest(20, 1, 65536, 2000).toPayload(), 3),
        sim_test::request(engine, QByteArray(1, char(TPayloadType::DebugRequest)), 4),
    };
    QByteArray input;
    QList<QByteArray> expected { lineOf(engine.presenceBroadcast()) };
    for (const QByteArray &request : requests) {
        input += HexLines::format(request);
        for (const ReplyItem &item : engine.handleBytes(request))
            expected << lineOf(item.bytes);
    }
    QCOMPARE(expected.size(), 1 + 1 + 1 + 10 + 1);
    const Run result
        = run({ QStringLiteral("--device"), QStringLiteral("fm200"), QStringLiteral("--broadcast") }, input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines, expected);
}

void TestVkDeviceSim::skipsWhatIsNotAPacket()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("gw4")));
    const QByteArray debug = sim_test::request(engine, QByteArray(1, char(TPayloadType::DebugRequest)));
    const QByteArray input = "# a capture\n\n" + debug.toHex(':') + "\nnot hex\n" + debug.left(13).toHex() + "\n";
    const Run result = run({ QStringLiteral("-d"), QStringLiteral("20480017"), QStringLiteral("--counters") }, input);
    QCOMPARE(result.exitCode, 0);
    // Refused without a password; the cut packet is not answered at all.
    QCOMPARE(result.lines.size(), 1);
    QCOMPARE(result.lines.first(), lineOf(engine.handleBytes(debug).first().bytes));
    QVERIFY(result.errors.contains("not a hex packet: not hex"));
    QVERIFY(result.errors.contains("received 2 packets"));
    QVERIFY(result.errors.contains("malformed 1"));
}

void TestVkDeviceSim::failureOptions()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const QByteArray auth = sim_test::request(engine, TAuthRequest::fromPassword(QStringLiteral("4711")).toPayload());
    const QByteArray debug = sim_test::request(engine, QByteArray(1, char(TPayloadType::DebugRequest)));
    const QByteArray input = HexLines::format(auth) + HexLines::format(debug) + HexLines::format(debug);

    Run result
        = run({ "-d", "fm200", "--failure", "ShortPacket", "--failure-target", "DebugRequest", "--failure-skip", "1" },
            input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.size(), 3);
    QVERIFY(result.lines.at(1).size() > 26);
    QCOMPARE(result.lines.at(2).size(), 26); // 13 bytes

    result = run({ "-d", "fm200", "--failure", "noanswer", "--failure-target", "any", "--failure-hits", "1" }, input);
    // The password got no answer and was not taken, so both debug requests were refused.
    QCOMPARE(result.lines.size(), 2);
    for (const QByteArray &line : std::as_const(result.lines)) {
        TPacket refused;
        QCOMPARE(TPacket::fromByteArray(QByteArray::fromHex(line), refused), ReturnCode::Ok);
        QCOMPARE(refused.payloadData, QByteArray::fromHex("090000"));
    }

    for (const QStringList &bad : { QStringList { "--failure", "Flood" },
             QStringList { "--failure", "NoAnswer", "--failure-target", "Everything" },
             QStringList { "--failure", "NoAnswer", "--failure-skip", "two" } }) {
        result = run(QStringList { "-d", "fm200" } + bad, input);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.lines.isEmpty());
    }
}

void TestVkDeviceSim::linkDrop()
{
    DeviceEngine engine(sim_test::device(QStringLiteral("fm200")));
    const QByteArray auth = sim_test::request(engine, TAuthRequest::fromPassword(QStringLiteral("4711")).toPayload());
    const QByteArray debug = sim_test::request(engine, QByteArray(1, char(TPayloadType::DebugRequest)));
    const QByteArray input = HexLines::format(auth) + HexLines::format(debug) + HexLines::format(debug);
    const QStringList drop { "-d", "fm200", "--failure", "DisconnectMidTransfer", "--failure-target", "DebugRequest",
        "--failure-skip", "0", "--failure-hits", "1" };

    // An empty line for the drop; the next request comes on a new link, without a password.
    Run result = run(drop, input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.size(), 3);
    QCOMPARE(result.lines.at(1), QByteArray());
    TPacket refused;
    QCOMPARE(TPacket::fromByteArray(QByteArray::fromHex(result.lines.at(2)), refused), ReturnCode::Ok);
    QCOMPARE(refused.payloadData, QByteArray::fromHex("090000"));

    result = run(drop + QStringList { "--exit-on-disconnect" }, input);
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.lines.size(), 1);
}

void TestVkDeviceSim::listings()
{
    Run result = run({ QStringLiteral("--list-devices") });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.size(), sim_test::shipped().definitions().size());
    for (int i = 0; i < result.lines.size(); ++i) {
        const DeviceDefinition &definition = sim_test::shipped().definitions().at(i);
        const QList<QByteArray> fields = result.lines.at(i).split('\t');
        QCOMPARE(fields.size(), 8);
        QCOMPARE(fields.at(0), definition.id.toUtf8());
        QCOMPARE(fields.at(1).toUInt(), definition.serial);
        QCOMPARE(fields.at(5), definition.advertisement().manufacturerData.toHex());
    }
    result = run({ QStringLiteral("--list-failures") });
    QCOMPARE(result.lines.size(), allFailureModes().size());
    QCOMPARE(result.lines.first(), QByteArray("NoAnswer"));
}

void TestVkDeviceSim::deviceFromFileAndUnknownDevice()
{
    const QString file = DeviceCatalog::sourceFolder() + QStringLiteral("/vc1.json");
    DeviceEngine engine(sim_test::device(QStringLiteral("vc1")));
    const QByteArray auth = sim_test::request(engine, TAuthRequest::fromPassword(QStringLiteral("5555")).toPayload());
    Run result = run({ QStringLiteral("--device"), file }, HexLines::format(auth));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines, QList<QByteArray> { lineOf(engine.handleBytes(auth).first().bytes) });

    result = run({ QStringLiteral("--device"), QStringLiteral("nosuchdevice") }, HexLines::format(auth));
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY(result.errors.contains("no device \"nosuchdevice\""));
    result = run({}, HexLines::format(auth));
    QCOMPARE(result.exitCode, 2);
}

QTEST_GUILESS_MAIN(TestVkDeviceSim)
#include "tst_vk_device_sim.moc"
