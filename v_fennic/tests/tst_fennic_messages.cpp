// Requests and responses of the firmware server: command names, the request body and the parsing of
// answers, with every log line each answer gives.
#include "testing/log_capture.h"
#include "v_fennic/t_fennic_ping_request.h"
#include "v_fennic/t_fennic_response.h"

#include <QRegularExpression>
#include <QtTest>

using namespace v_fennic;

Q_DECLARE_METATYPE(TFennicCommand)

namespace {

const QString kUuidText = QStringLiteral("{0f8b2c4e-6a1d-4c3b-9e7f-1a2b3c4d5e6f}");
const QString kInvalidJson = QStringLiteral("Invalid JSON parsing!");

// The "Bad result: " line of a code whose description text is empty.
QString badResult(qint32 value, const char *name)
{
    return QStringLiteral("Bad result:  ReturnCode[%1] [\"ReturnCode::%2\"]{\"\"}").arg(value).arg(QLatin1String(name));
}
const QString kMissing = badResult(-2147483632, "ErrParsingNotEnougthDataFields");
const QString kNull = badResult(-2147483633, "ErrParsingNotEnougthData");
const QString kUnexpected = badResult(-2147483646, "ErrArgumentUnexpectedValue");

QByteArray object(const QString &members)
{
    return (QLatin1Char('{') + members + QLatin1Char('}')).toUtf8();
}
QString withUuid(const QString &members)
{
    return members + QStringLiteral(",\"uuid\":\"%1\"").arg(kUuidText);
}

} // namespace

class TestFennicMessages : public QObject
{
    Q_OBJECT

private slots:
    void commandNames_data();
    void commandNames();
    void pingBody();
    void parseResponse_data();
    void parseResponse();
    void responseIsNotSent();
};

void TestFennicMessages::commandNames_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");

    QTest::newRow("0") << 0 << "ping" << true;
    QTest::newRow("1") << 1 << "authorization" << true;
    QTest::newRow("2") << 2 << "statusAuthorization" << true;
    QTest::newRow("3") << 3 << "exit" << true;
    QTest::newRow("4") << 4 << "cmdGetSoftFirmware" << true;
    QTest::newRow("5") << 5 << "unknownCmd" << false;
    QTest::newRow("out of the table") << 17 << "unknownCmd" << false;
}

void TestFennicMessages::commandNames()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(bool, known);

    QCOMPARE(toText(TFennicCommand(number)), name);
    TFennicCommand parsed = TFennicCommand::Ping;
    QCOMPARE(commandFromText(name, parsed), known);
    QCOMPARE(parsed, known ? TFennicCommand(number) : TFennicCommand::UnknownCmd);
    QVERIFY(!commandFromText(name.toUpper(), parsed));
}

void TestFennicMessages::pingBody()
{
    const TFennicPingRequest ping;
    const TFennicPingRequest other;
    QVERIFY(ping.isValid());
    QVERIFY(ping.uuid != other.uuid);
    QVERIFY(!TFennicMessage().isValid());

    const QString body = QString::fromUtf8(ping.toBody());
    static const QRegularExpression shape(QStringLiteral(
        R"re(^\{"cmd":"ping","uuid":"(\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\})"\}$)re"));
    const QRegularExpressionMatch match = shape.match(body);
    QVERIFY2(match.hasMatch(), qPrintable(body));
    QCOMPARE(QUuid::fromString(match.captured(1)), ping.uuid);
}

void TestFennicMessages::parseResponse_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<ReturnCode>("result");
    QTest::addColumn<bool>("jsonValid");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<TFennicCommand>("command");
    QTest::addColumn<bool>("hasUuid");
    QTest::addColumn<bool>("status");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("logs");

    const auto ping = TFennicCommand::Ping;
    const auto none = TFennicCommand::UnknownCmd;
    QTest::newRow("complete") << object(withUuid(R"("status":true,"code":7,"error":"late","cmd":"ping")"))
                              << ReturnCode::Ok << true << true << ping << true << true << 7 << "late" << QStringList();
    QTest::newRow("no code and error") << object(withUuid(R"("status":false,"cmd":"exit")")) << ReturnCode::Ok << true
                                       << true << TFennicCommand::Exit << true << false << 0 << ""
                                       << QStringList { kMissing, kMissing };
    QTest::newRow("null code and error") << object(withUuid(R"("status":true,"code":null,"error":null,"cmd":"ping")"))
                                         << ReturnCode::Ok << true << true << ping << true << true << 0 << ""
                                         << QStringList { kNull, kNull };
    QTest::newRow("empty object") << QByteArray("{}") << ReturnCode::ErrParsingNotEnougthDataFields << true << false
                                  << none << false << false << 0 << ""
                                  << QStringList { "Not found field <status>!", kMissing, kInvalidJson };
    QTest::newRow("status null") << object(withUuid(R"("status":null,"code":1,"error":"","cmd":"ping")"))
                                 << ReturnCode::ErrParsingNotEnougthData << true << false << none << false << false << 0
                                 << "" << QStringList { "Field <status> is NULL!", kNull, kInvalidJson };
    QTest::newRow("cmd missing") << object(withUuid(R"("status":true,"code":1,"error":"")"))
                                 << ReturnCode::ErrParsingNotEnougthDataFields << true << false << none << false << true
                                 << 1 << "" << QStringList { "Not found field <cmd>!", kMissing, kInvalidJson };
    QTest::newRow("cmd unknown") << object(withUuid(R"("status":true,"code":1,"error":"","cmd":"reboot")"))
                                 << ReturnCode::ErrArgumentUnexpectedValue << true << false << none << false << true
                                 << 1 << ""
                                 << QStringList { "Invalid field <cmd> parsing, value: reboot", kUnexpected,
                                        kInvalidJson };
    QTest::newRow("cmd unknownCmd") << object(withUuid(R"("status":true,"code":1,"error":"","cmd":"unknownCmd")"))
                                    << ReturnCode::ErrArgumentUnexpectedValue << true << false << none << false << true
                                    << 1 << ""
                                    << QStringList { "Invalid field <cmd> parsing, value: unknownCmd", kUnexpected,
                                           kInvalidJson };
    QTest::newRow("cmd a number") << object(withUuid(R"("status":true,"code":1,"error":"","cmd":3)"))
                                  << ReturnCode::ErrArgumentUnexpectedValue << true << false << none << false << true
                                  << 1 << ""
                                  << QStringList { "Invalid field <cmd> parsing, value: 3", kUnexpected, kInvalidJson };
    QTest::newRow("uuid null") << object(R"("status":true,"code":1,"error":"","cmd":"ping","uuid":null)")
                               << ReturnCode::ErrParsingNotEnougthData << true << false << ping << false << true << 1
                               << "" << QStringList { "Field <uuid> is NULL!", kNull, kInvalidJson };
    QTest::newRow("uuid no uuid") << object(R"("status":true,"code":1,"error":"","cmd":"ping","uuid":"x1")")
                                  << ReturnCode::Ok << true << false << ping << false << true << 1 << ""
                                  << QStringList();
    QTest::newRow("empty array") << QByteArray("[]") << ReturnCode::ErrArgumentBadValue << false << false << none
                                 << false << false << 0 << "" << QStringList { "Invalid JSON <[]>", kInvalidJson };
    QTest::newRow("garbage after the object")
        << QByteArray(R"({"status":true} x)") << ReturnCode::ErrArgumentBadValue << false << false << none << false
        << false << 0 << "" << QStringList { R"(Parsing error at 16 symbol in data<{"status":true} x>)", kInvalidJson };
    QTest::newRow("empty body") << QByteArray() << ReturnCode::ErrArgumentBadValue << false << false << none << false
                                << false << 0 << ""
                                << QStringList { "Parsing error at 0 symbol in data<>", kInvalidJson };
}

void TestFennicMessages::parseResponse()
{
    QFETCH(QByteArray, body);
    QFETCH(ReturnCode, result);
    QFETCH(bool, jsonValid);
    QFETCH(bool, valid);
    QFETCH(TFennicCommand, command);
    QFETCH(bool, hasUuid);
    QFETCH(bool, status);
    QFETCH(int, code);
    QFETCH(QString, error);
    QFETCH(QStringList, logs);

    // Parsed into a response that held a complete answer before: nothing of it may remain.
    TFennicResponse response;
    QCOMPARE(response.parse(object(withUuid(R"("status":true,"code":9,"error":"old","cmd":"exit")"))), ReturnCode::Ok);
    response.context = { 1 };

    vk_testing::LogCapture capture;
    QCOMPARE(response.parse(body), result);
    QCOMPARE(capture.texts(), logs);
    QCOMPARE(response.jsonValid, jsonValid);
    QCOMPARE(response.jsonError.isEmpty(), jsonValid);
    if (!jsonValid)
        QCOMPARE(response.jsonError, logs.first());
    QCOMPARE(response.json.isEmpty(), !jsonValid || body == "{}");
    QCOMPARE(response.isValid(), valid);
    QCOMPARE(response.command, command);
    QCOMPARE(response.uuid, hasUuid ? QUuid::fromString(kUuidText) : QUuid());
    QCOMPARE(response.status, status);
    QCOMPARE(response.code, code);
    QCOMPARE(response.error, error);
    QVERIFY(response.context.isEmpty());
}

void TestFennicMessages::responseIsNotSent()
{
    vk_testing::LogCapture capture;
    QJsonObject json;
    TFennicResponse().toJson(json);
    QVERIFY(json.isEmpty());
    QCOMPARE(capture.texts(), QStringList { "Unsupported case!" });
}

QTEST_GUILESS_MAIN(TestFennicMessages)
#include "tst_fennic_messages.moc"
