// vk-config's own helpers: device texts made safe for a terminal, the configuration document and the
// command line.
#include "vk_config/command_line.h"
#include "configurator/config_document.h"
#include "testing/profile_element.h"
#include "vk_config/terminal_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using vk_config::CommandLine;
using configurator::ConfigDocument;
using vk_config::Request;
using Element = v_protocol::TSlaveProfile::Element;
using Types = v_protocol::TSlaveProfile::Types;
using DataTypes = v_protocol::TSlaveProfile::DataTypes;
using Editables = v_protocol::TSlaveProfile::Editables;

Q_DECLARE_METATYPE(DataTypes)
Q_DECLARE_METATYPE(Editables)
Q_DECLARE_METATYPE(Types)

namespace {

using vk_testing::profileElement;


} // namespace

class TestVkConfigValues : public QObject
{
    Q_OBJECT

private slots:
    void printable_data();
    void printable();
    void documentRoundTrip();
    void documentRefusals_data();
    void documentRefusals();
    void commandLine_data();
    void commandLine();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void serialList();
};

void TestVkConfigValues::printable_data()
{
    QTest::addColumn<QString>("deviceText");
    QTest::addColumn<QString>("shown");
    const QString replaced { QChar(QChar::ReplacementCharacter) };
    QTest::newRow("plain") << QStringLiteral("Flow unit, m³/h") << QStringLiteral("Flow unit, m³/h");
    QTest::newRow("escape sequence") << QStringLiteral("Pump\x1b[2J") << QStringLiteral("Pump") + replaced + "[2J";
    QTest::newRow("line break") << QStringLiteral("a\nb\rc") << QStringLiteral("a") + replaced + "b" + replaced + "c";
    QTest::newRow("direction override") << QStringLiteral("abc\u202Eexe.txt")
                                        << QStringLiteral("abc") + replaced + "exe.txt";
}

void TestVkConfigValues::printable()
{
    QFETCH(QString, deviceText);
    QFETCH(QString, shown);
    QCOMPARE(vk_config::printable(deviceText), shown);
}

void TestVkConfigValues::documentRoundTrip()
{
    VkInterfaceElement setting(profileElement(DataTypes::TUinteger, 2, 10));
    setting.setValue(QByteArray::fromHex("b400"));
    Element captionElement = profileElement(DataTypes::TNoData, 0);
    captionElement.id = 7;
    VkInterfaceElement caption(captionElement);
    v_protocol::TSlaveApplication device;
    device.Name = QStringLiteral("FM-200 <Flow>");
    device.Serial = 10250001;
    device.ModelId = 17;
    device.FirmwareVersion = { 2, 4 };
    const QJsonObject document = ConfigDocument::make(device, true, { &setting, &caption });
    const QJsonObject identity = document.value(QStringLiteral("device")).toObject();
    QCOMPARE(identity.value(QStringLiteral("name")).toString(), device.Name);
    QCOMPARE(identity.value(QStringLiteral("serial")).toDouble(), 10250001.0);
    QCOMPARE(identity.value(QStringLiteral("firmwareVersion")).toString(), QStringLiteral("2.4"));
    QCOMPARE(document.value(QStringLiteral("access")).toString(), QStringLiteral("root"));
    const QJsonArray elements = document.value(QStringLiteral("elements")).toArray();
    QCOMPARE(elements.size(), 2);
    QCOMPARE(elements.at(0).toObject().value(QStringLiteral("text")).toString(), QStringLiteral("18"));
    QVERIFY(elements.at(1).toObject().value(QStringLiteral("value")).isNull());

    ConfigDocument::Contents contents;
    QString error;
    QVERIFY2(ConfigDocument::read(QJsonDocument(document).toJson(), contents, error), qPrintable(error));
    const QList<ConfigDocument::Entry> &entries = contents.entries;
    QCOMPARE(contents.device.serial, 10250001u);
    QCOMPARE(contents.device.firmwareVersion, QStringLiteral("2.4"));
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).id, 42);
    QCOMPARE(entries.at(0).kind, QStringLiteral("SlaveSetting"));
    QCOMPARE(entries.at(0).dataType, QStringLiteral("TUinteger"));
    QCOMPARE(entries.at(0).value, QJsonValue(180));
    QCOMPARE(entries.at(1).id, 7);
    QCOMPARE(entries.at(1).dataType, QStringLiteral("TNoData"));
}

void TestVkConfigValues::documentRefusals_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::newRow("not JSON") << QByteArray("{ \"format\": ") << "not a JSON document";
    QTest::newRow("another document") << QByteArray("{ \"elements\": [] }") << "not a vk-config document";
    QTest::newRow("another version") << QByteArray(R"({ "format": "vk-config", "version": 2, "elements": [] })")
                                     << "version 2";
    QTest::newRow("no elements") << QByteArray(R"({ "format": "vk-config", "version": 1 })") << "no \"elements\"";
    QTest::newRow("element without id") << QByteArray(
        R"({ "format": "vk-config", "version": 1, "elements": [ { "id": 1 }, { "value": 3 } ] })")
                                        << "element 2 of the document has no id";
    QTest::newRow("id out of range") << QByteArray(
        R"({ "format": "vk-config", "version": 1, "elements": [ { "id": 70000 } ] })")
                                     << "no id";
}

void TestVkConfigValues::documentRefusals()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    ConfigDocument::Contents contents;
    QString reason;
    QVERIFY(!ConfigDocument::read(json, contents, reason));
    QVERIFY2(reason.contains(error), qPrintable(reason));
}

void TestVkConfigValues::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // fields of the request, "name=value" joined by spaces

    QTest::newRow("scan") << QStringList { "scan", "--seconds", "2" } << "command=scan seconds=2 simulated=0";
    QTest::newRow("get with a filter") << QStringList { "get", "10250001", "--settings", "--json" }
                                       << "command=get serial=10250001 settings=1 state=0 json=1";
    QTest::newRow("get --all") << QStringList { "get", "10250001", "--all" } << "settings=1 state=1 personalization=1";
    QTest::newRow("built-in simulated devices")
        << QStringList { "--simulator", "get", "7" } << "simulated=1 folder= serial=7";
    QTest::newRow("simulator folder") << QStringList { "--simulator", "/tmp/devices", "get", "7" }
                                      << "simulated=1 folder=/tmp/devices serial=7";
    QTest::newRow("simulator folder as option value")
        << QStringList { "get", "7", "--simulator=devices" } << "simulated=1 folder=devices serial=7";
    QTest::newRow("serial after --simulator")
        << QStringList { "get", "--simulator", "7" } << "simulated=1 folder= serial=7";
    QTest::newRow("set a document") << QStringList { "set", "10250001", "edited.json", "--dry-run" }
                                    << "command=set document=edited.json dryRun=1";
    QTest::newRow("set values") << QStringList { "set", "10250001", "--value", "104=120", "--value", "10=Pump 4" }
                                << "values=104=120|10=Pump 4";
    QTest::newRow("run with data") << QStringList { "run", "10250001", "301", "0a0B" } << "commandId=301 data=0a0b";
    QTest::newRow("files read") << QStringList { "files", "10250001", "read", "17", "-o", "log.bin" }
                                << "files=read fileId=17 output=log.bin";
    QTest::newRow("serials from a list") << QStringList { "--serials", "line.txt", "update", "fw.bin" }
                                         << "serials=line.txt firmware=fw.bin serial=0";
    QTest::newRow("timeout and password")
        << QStringList { "get", "5", "--timeout", "30", "--password", "4711" } << "timeout=30 password=4711";
}

void TestVkConfigValues::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    Request request;
    QString error;
    QString help;
    QVERIFY2(CommandLine::parse(QStringList { "vk-config" } + arguments, request, error, help), qPrintable(error));
    const QString fileAction = request.filesAction == Request::FilesAction::Read
        ? QStringLiteral("read")
        : (request.filesAction == Request::FilesAction::Clear ? QStringLiteral("clear") : QStringLiteral("list"));
    const QMap<QString, QString> fields { { "command", request.commandName },
        { "serial", QString::number(request.serial) }, { "seconds", QString::number(request.scanSeconds) },
        { "simulated", QString::number(request.simulated) }, { "folder", request.simulatorFolder },
        { "settings", QString::number(request.settings) }, { "state", QString::number(request.state) },
        { "personalization", QString::number(request.personalization) }, { "json", QString::number(request.json) },
        { "document", request.documentFile }, { "dryRun", QString::number(request.dryRun) },
        { "values", request.values.join(u'|') }, { "commandId", QString::number(request.commandId) },
        { "data", QString::fromLatin1(request.commandData.toHex()) }, { "files", fileAction },
        { "fileId", QString::number(request.fileId) }, { "output", request.output }, { "serials", request.serialsFile },
        { "firmware", request.firmwareFile }, { "timeout", QString::number(request.timeoutSeconds) },
        { "password", request.password } };
    // "values" may hold spaces: it is compared whole, the rest field by field.
    QString rest = expected;
    const int valuesAt = int(rest.indexOf(QLatin1String("values=")));
    if (valuesAt >= 0) {
        QCOMPARE(fields.value("values"), rest.mid(valuesAt + 7));
        rest = rest.left(valuesAt);
    }
    for (const QString &field : rest.split(u' ', Qt::SkipEmptyParts))
        QCOMPARE(field.section(u'=', 0, 0) + u'=' + fields.value(field.section(u'=', 0, 0)), field);
}

void TestVkConfigValues::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("no command") << QStringList() << "no command";
    QTest::newRow("unknown command") << QStringList { "erase" } << "unknown command \"erase\"";
    QTest::newRow("no serial") << QStringList { "get" } << "get needs the device's serial number";
    QTest::newRow("serial zero") << QStringList { "get", "0" } << "not \"0\"";
    QTest::newRow("serial beyond 32 bits") << QStringList { "get", "4294967296" } << "serial number";
    QTest::newRow("set without values") << QStringList { "set", "5" } << "either a document";
    QTest::newRow("set with both") << QStringList { "set", "5", "a.json", "--value", "1=2" } << "either a document";
    QTest::newRow("run without id") << QStringList { "run", "5" } << "command id";
    QTest::newRow("run with bad data") << QStringList { "run", "5", "301", "0g" } << "not hexadecimal";
    QTest::newRow("files without action") << QStringList { "files", "5" } << "list, read ID or clear ID";
    QTest::newRow("files read without id") << QStringList { "files", "5", "read" } << "file id";
    QTest::newRow("extra argument") << QStringList { "report", "5", "more" } << "unexpected argument \"more\"";
    QTest::newRow("update without file") << QStringList { "update", "5" } << "firmware file";
    QTest::newRow("unknown option") << QStringList { "get", "5", "--fast" } << "fast";
    QTest::newRow("bad timeout") << QStringList { "get", "5", "--timeout", "soon" } << "--timeout";
    QTest::newRow("state without simulator")
        << QStringList { "get", "5", "--simulator-state", "s.json" } << "go with --simulator";
    QTest::newRow("scan with serials") << QStringList { "scan", "--serials", "x" } << "scan does not go";
}

void TestVkConfigValues::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    Request request;
    QString reason;
    QString help;
    QVERIFY(!CommandLine::parse(QStringList { "vk-config" } + arguments, request, reason, help));
    QVERIFY2(reason.contains(error), qPrintable(reason));
}

void TestVkConfigValues::serialList()
{
    QList<CommandLine::ListedDevice> devices;
    QString error;
    QVERIFY2(CommandLine::readSerials("# line 3\n10250001 4711\n\n  20480017\t9000 \n30720005\n", devices, error),
        qPrintable(error));
    QCOMPARE(devices.size(), 3);
    QCOMPARE(devices.at(0).serial, 10250001u);
    QCOMPARE(devices.at(0).password, QStringLiteral("4711"));
    QCOMPARE(devices.at(1).serial, 20480017u);
    QCOMPARE(devices.at(1).password, QStringLiteral("9000"));
    QCOMPARE(devices.at(2).password, QString());

    QVERIFY(!CommandLine::readSerials("10250001\nfm200\n", devices, error));
    QVERIFY2(error.contains(QLatin1String("line 2")), qPrintable(error));
    QVERIFY(!CommandLine::readSerials("1 2 3\n", devices, error));
    QVERIFY(!CommandLine::readSerials("# nothing\n", devices, error));
    QVERIFY2(error.contains(QLatin1String("no serial number")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestVkConfigValues)
#include "tst_vk_config_values.moc"
