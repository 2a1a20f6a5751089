// vk-config's own helpers: values shown and typed as the window shows them, the checks before a value
// is sent, the configuration document and the command line.
#include "vk_config/command_line.h"
#include "vk_config/config_document.h"
#include "vk_config/value_check.h"
#include "vk_config/value_format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using vk_config::CommandLine;
using vk_config::ConfigDocument;
using vk_config::Request;
using vk_config::ValueCheck;
using vk_config::ValueFormat;
using Element = v_protocol::TSlaveProfile::Element;
using Types = v_protocol::TSlaveProfile::Types;
using DataTypes = v_protocol::TSlaveProfile::DataTypes;
using Editables = v_protocol::TSlaveProfile::Editables;

Q_DECLARE_METATYPE(DataTypes)
Q_DECLARE_METATYPE(Editables)
Q_DECLARE_METATYPE(Types)

namespace {

Element profileElement(DataTypes dataType, int dataSize, int multiplier = 1, const QStringList &entries = {},
    Types type = Types::SlaveSetting, Editables editable = Editables::Editable, int min = 0, int max = 0,
    const QString &regexp = QString())
{
    Element element;
    element.id = 42;
    element.type = type;
    element.editable = editable;
    element.nameEn = QStringLiteral("Test value");
    element.dataType = dataType;
    element.dataSize = quint16(dataSize);
    element.multiplier = multiplier;
    element.min = min;
    element.max = max;
    element.enumValues = entries;
    element.regexp = regexp;
    return element;
}

const QStringList kUnits { QStringLiteral("l/h"), QStringLiteral("m³/h"), QStringLiteral("#gal/h (licence)") };

} // namespace

class TestVkConfigValues : public QObject
{
    Q_OBJECT

private slots:
    void displayText_data();
    void displayText();
    void parseDisplayText_data();
    void parseDisplayText();
    void check_data();
    void check();
    void jsonValueRoundTrip_data();
    void jsonValueRoundTrip();
    void parseJsonRefusesOtherKinds_data();
    void parseJsonRefusesOtherKinds();
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

void TestVkConfigValues::displayText_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QByteArray>("valueHex");
    QTest::addColumn<QString>("shown");

    QTest::newRow("unsigned") << DataTypes::TUinteger << 2 << 1 << QStringList() << QByteArray("6400") << "100";
    QTest::newRow("divided by the multiplier")
        << DataTypes::TUinteger << 2 << 10 << QStringList() << QByteArray("b400") << "18.0";
    QTest::newRow("two decimals") << DataTypes::TUinteger << 4 << 100 << QStringList() << QByteArray("e2040000")
                                  << "12.50";
    QTest::newRow("small value, two decimals")
        << DataTypes::TUinteger << 4 << 100 << QStringList() << QByteArray("05000000") << "0.05";
    QTest::newRow("negative, three decimals")
        << DataTypes::TInteger << 4 << 1000 << QStringList() << QByteArray("702ffcff") << "-250.000";
    QTest::newRow("negative below one") << DataTypes::TInteger << 2 << 10 << QStringList() << QByteArray("fbff")
                                        << "-0.5";
    QTest::newRow("multiplier not a power of ten")
        << DataTypes::TInteger << 2 << 3 << QStringList() << QByteArray("0a00") << "3.33333333333";
    QTest::newRow("one-byte integer reads unsigned")
        << DataTypes::TInteger << 1 << 1 << QStringList() << QByteArray("ff") << "255";
    QTest::newRow("two-byte integer reads signed")
        << DataTypes::TInteger << 2 << 1 << QStringList() << QByteArray("ffff") << "-1";
    QTest::newRow("enum by its entry") << DataTypes::TEnum << 1 << 1 << kUnits << QByteArray("01") << "m³/h";
    QTest::newRow("enum without such an entry") << DataTypes::TEnum << 1 << 1 << kUnits << QByteArray("05") << "5";
    QTest::newRow("binary is signed") << DataTypes::TBinary << 1 << 1 << QStringList() << QByteArray("ff") << "-1";
    QTest::newRow("bit field in binary") << DataTypes::TBitfield << 1 << 1 << QStringList() << QByteArray("0b")
                                         << "0b00001011";
    QTest::newRow("two-byte bit field") << DataTypes::TBitfield << 2 << 1 << QStringList() << QByteArray("1200")
                                        << "0b0000000000010010";
    QTest::newRow("text without its padding")
        << DataTypes::TString << 8 << 1 << QStringList() << QByteArray("50756d7000000000") << "Pump";
    QTest::newRow("hex array") << DataTypes::THexArray << 2 << 1 << QStringList() << QByteArray("1f2e") << "1F2E";
    QTest::newRow("inverted hex array") << DataTypes::TInvertedHexArray << 4 << 1 << QStringList()
                                        << QByteArray("3d2c1b0a") << "0A1B2C3D";
    // The test runs in the zone CET-1: 09:30 UTC is 10:30 local time.
    QTest::newRow("date and time in local time")
        << DataTypes::TUnixtime << 4 << 1 << QStringList() << QByteArray("98113d64") << "2023-04-17 10:30:00";
    QTest::newRow("not read yet") << DataTypes::TUinteger << 2 << 1 << QStringList() << QByteArray() << "";
    QTest::newRow("caption") << DataTypes::TNoData << 0 << 1 << QStringList() << QByteArray() << "";
}

void TestVkConfigValues::displayText()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, dataSize);
    QFETCH(int, multiplier);
    QFETCH(QStringList, entries);
    QFETCH(QByteArray, valueHex);
    QFETCH(QString, shown);
    VkInterfaceElement element(profileElement(dataType, dataSize, multiplier, entries));
    element.setValue(QByteArray::fromHex(valueHex));
    QCOMPARE(ValueFormat::displayText(element), shown);
}

void TestVkConfigValues::parseDisplayText_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("data"); // invalid: refused
    QTest::addColumn<QString>("error");

    QTest::newRow("whole number") << DataTypes::TUinteger << 1 << "250" << QVariant(qint64(250)) << "";
    QTest::newRow("times the multiplier") << DataTypes::TUinteger << 10 << "18.5" << QVariant(qint64(185)) << "";
    QTest::newRow("whole number with a multiplier")
        << DataTypes::TUinteger << 100 << "3" << QVariant(qint64(300)) << "";
    QTest::newRow("negative") << DataTypes::TInteger << 1000 << "-0.25" << QVariant(qint64(-250)) << "";
    QTest::newRow("finer than the step") << DataTypes::TUinteger << 10 << "18.55" << QVariant() << "finer";
    QTest::newRow("a fraction without a multiplier") << DataTypes::TUinteger << 1 << "1.5" << QVariant() << "finer";
    QTest::newRow("not a number") << DataTypes::TUinteger << 1 << "sixty" << QVariant() << "not a number";
    QTest::newRow("no exponents") << DataTypes::TUinteger << 1 << "1e3" << QVariant() << "not a number";
    QTest::newRow("enum by entry text") << DataTypes::TEnum << 1 << "m³/h" << QVariant(1) << "";
    QTest::newRow("enum by index") << DataTypes::TEnum << 1 << "2" << QVariant(2) << "";
    QTest::newRow("enum, unknown entry") << DataTypes::TEnum << 1 << "gal/h" << QVariant() << "not one of its entries";
    QTest::newRow("bit field in binary") << DataTypes::TBitfield << 1 << "0b1011" << QVariant(qint64(11)) << "";
    QTest::newRow("bit field in hex") << DataTypes::TBitfield << 1 << "0x1F" << QVariant(qint64(31)) << "";
    QTest::newRow("bit field in decimal") << DataTypes::TBitfield << 1 << "12" << QVariant(qint64(12)) << "";
    QTest::newRow("bit field, bad digit") << DataTypes::TBitfield << 1 << "0b102" << QVariant() << "not a bit field";
    QTest::newRow("binary as a word") << DataTypes::TBinary << 1 << "true" << QVariant(qint64(1)) << "";
    QTest::newRow("hex array") << DataTypes::THexArray << 1 << "0a1b" << QVariant(QStringLiteral("0A1B")) << "";
    QTest::newRow("hex array, odd digits") << DataTypes::THexArray << 1 << "0a1" << QVariant() << "not hexadecimal";
    QTest::newRow("text as typed") << DataTypes::TString << 1 << " Pump 3" << QVariant(QStringLiteral(" Pump 3")) << "";
    QTest::newRow("date and time") << DataTypes::TUnixtime << 1 << "2023-04-17 10:30:00" << QVariant(qint64(1681723800))
                                   << "";
    QTest::newRow("no date") << DataTypes::TUnixtime << 1 << "tomorrow" << QVariant() << "not a date";
}

void TestVkConfigValues::parseDisplayText()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, multiplier);
    QFETCH(QString, text);
    QFETCH(QVariant, data);
    QFETCH(QString, error);
    VkInterfaceElement element(profileElement(dataType, 4, multiplier, kUnits));
    QVariant parsed;
    QString reason;
    const bool ok = ValueFormat::parseDisplayText(element, text, parsed, reason);
    QCOMPARE(ok, data.isValid());
    if (ok) {
        QCOMPARE(parsed, data);
    } else {
        QVERIFY2(reason.contains(error), qPrintable(reason));
        QVERIFY2(reason.contains(text.trimmed()) || !reason.contains(u'"'), qPrintable(reason));
    }
}

void TestVkConfigValues::check_data()
{
    QTest::addColumn<Element>("element");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<bool>("isRoot");
    QTest::addColumn<QString>("error"); // empty: accepted

    const Element pulses
        = profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::Editable, 1, 10000);
    QTest::newRow("in range") << pulses << QVariant(qint64(100)) << false << "";
    QTest::newRow("lowest") << pulses << QVariant(qint64(1)) << false << "";
    QTest::newRow("highest") << pulses << QVariant(qint64(10000)) << false << "";
    QTest::newRow("below the range") << pulses << QVariant(qint64(0)) << false << "0 is out of range 1 ... 10000";
    QTest::newRow("above the range") << pulses << QVariant(qint64(10001)) << false << "out of range";
    QTest::newRow("range shown scaled") << profileElement(
        DataTypes::TUinteger, 2, 10, {}, Types::SlaveSetting, Editables::Editable, 10, 5000)
                                        << QVariant(qint64(5001)) << false << "500.1 is out of range 1.0 ... 500.0";
    QTest::newRow("too large for one byte")
        << profileElement(DataTypes::TUinteger, 1) << QVariant(qint64(300)) << false << "does not fit its 1-byte";
    QTest::newRow("negative in an unsigned")
        << profileElement(DataTypes::TUinteger, 2) << QVariant(qint64(-1)) << false << "does not fit";
    QTest::newRow("negative in a one-byte integer")
        << profileElement(DataTypes::TInteger, 1) << QVariant(qint64(-1)) << false << "does not fit";
    QTest::newRow("negative in a two-byte integer")
        << profileElement(DataTypes::TInteger, 2) << QVariant(qint64(-32768)) << false << "";
    QTest::newRow("two bytes overflow") << profileElement(DataTypes::TInteger, 2) << QVariant(qint64(32768)) << false
                                        << "does not fit";
    QTest::newRow("largest four-byte unsigned")
        << profileElement(DataTypes::TUinteger, 4) << QVariant(qint64(4294967295LL)) << false << "";
    QTest::newRow("root only, as user") << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting,
        Editables::RootEditable) << QVariant(qint64(3))
                                        << false << "not editable with user access: only root may edit it";
    QTest::newRow("root only, as root") << profileElement(
        DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::RootEditable)
                                        << QVariant(qint64(3)) << true << "";
    QTest::newRow("hidden root value, as user")
        << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::UserHiddenRootEditable)
        << QVariant(qint64(3)) << false << "not editable";
    QTest::newRow("read-only, as root") << profileElement(
        DataTypes::TUinteger, 2, 1, {}, Types::PersonalizationInfo, Editables::NotEditable)
                                        << QVariant(qint64(3)) << true << "read-only";
    QTest::newRow("visible to root only, as root")
        << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::UserHiddenRootVisible)
        << QVariant(qint64(3)) << true << "read-only";
    QTest::newRow("a state value") << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveState)
                                   << QVariant(qint64(3)) << true << "is a state";
    QTest::newRow("a caption") << profileElement(DataTypes::TNoData, 0) << QVariant(qint64(3)) << true
                               << "has no value";
    QTest::newRow("enum entry") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << QVariant(1) << false << "";
    QTest::newRow("enum past its entries") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << QVariant(3) << false
                                           << "entry index 3 is outside its 3 entries";
    QTest::newRow("enum below its entries")
        << profileElement(DataTypes::TEnum, 1, 1, kUnits) << QVariant(-1) << false << "outside";
    QTest::newRow("locked enum entry") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << QVariant(2) << true
                                       << "entry 2 \"#gal/h (licence)\" is locked";
    QTest::newRow("text that fits") << profileElement(DataTypes::TString, 8) << QVariant(QStringLiteral("1234567"))
                                    << false << "";
    QTest::newRow("text without room for its end")
        << profileElement(DataTypes::TString, 8) << QVariant(QStringLiteral("12345678")) << false
        << "too long: 8 bytes of UTF-8, room for 7";
    QTest::newRow("text long in UTF-8") << profileElement(DataTypes::TString, 8) << QVariant(QStringLiteral("ääää"))
                                        << false << "too long: 8 bytes";
    QTest::newRow("text against its pattern") << profileElement(
        DataTypes::TString, 24, 1, {}, Types::SlaveSetting, Editables::Editable, 0, 0, QStringLiteral("^[a-z0-9.-]*$"))
                                              << QVariant(QStringLiteral("Bad APN")) << false
                                              << "does not match its pattern";
    QTest::newRow("text matching its pattern") << profileElement(
        DataTypes::TString, 24, 1, {}, Types::SlaveSetting, Editables::Editable, 0, 0, QStringLiteral("^[a-z0-9.-]*$"))
                                               << QVariant(QStringLiteral("iot.example.net")) << false << "";
    QTest::newRow("hex array of its size")
        << profileElement(DataTypes::THexArray, 4) << QVariant(QStringLiteral("0A1B2C3D")) << false << "";
    QTest::newRow("hex array too short") << profileElement(DataTypes::THexArray, 8)
                                         << QVariant(QStringLiteral("0A1B2C3D")) << false
                                         << "has 4 bytes, its size is 8";
    QTest::newRow("date and time") << profileElement(DataTypes::TUnixtime, 4) << QVariant(qint64(5)) << true
                                   << "date and time";
}

void TestVkConfigValues::check()
{
    QFETCH(Element, element);
    QFETCH(QVariant, data);
    QFETCH(bool, isRoot);
    QFETCH(QString, error);
    VkInterfaceElement interfaceElement(element);
    QString reason;
    const bool ok = ValueCheck::check(interfaceElement, data, isRoot, reason);
    QVERIFY2(ok == error.isEmpty(), qPrintable(reason));
    QVERIFY2(reason.contains(error), qPrintable(reason));
}

void TestVkConfigValues::jsonValueRoundTrip_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<QByteArray>("valueHex");
    QTest::addColumn<QJsonValue>("json");
    QTest::newRow("unsigned, unscaled") << DataTypes::TUinteger << 2 << QByteArray("b400") << QJsonValue(180);
    QTest::newRow("large unsigned") << DataTypes::TUinteger << 4 << QByteArray("ffffffff") << QJsonValue(4294967295.0);
    QTest::newRow("negative integer") << DataTypes::TInteger << 4 << QByteArray("702ffcff") << QJsonValue(-250000);
    QTest::newRow("enum by index") << DataTypes::TEnum << 1 << QByteArray("01") << QJsonValue(1);
    QTest::newRow("binary") << DataTypes::TBinary << 1 << QByteArray("01") << QJsonValue(1);
    QTest::newRow("bit field") << DataTypes::TBitfield << 1 << QByteArray("0b") << QJsonValue(11);
    QTest::newRow("text") << DataTypes::TString << 8 << QByteArray("50756d7000000000") << QJsonValue("Pump");
    QTest::newRow("hex") << DataTypes::THexArray << 2 << QByteArray("1f2e") << QJsonValue("1F2E");
    QTest::newRow("inverted hex") << DataTypes::TInvertedHexArray << 2 << QByteArray("1f2e") << QJsonValue("2E1F");
    QTest::newRow("date and time") << DataTypes::TUnixtime << 4 << QByteArray("98113d64") << QJsonValue(1681723800);
}

void TestVkConfigValues::jsonValueRoundTrip()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, dataSize);
    QFETCH(QByteArray, valueHex);
    QFETCH(QJsonValue, json);
    VkInterfaceElement element(profileElement(dataType, dataSize, 10, kUnits));
    element.setValue(QByteArray::fromHex(valueHex));
    QCOMPARE(ValueFormat::jsonValue(element), json);
    // What a document carries goes back into the element as the same value.
    QVariant data;
    QString error;
    QVERIFY2(ValueFormat::parseJson(element, json, data, error), qPrintable(error));
    QCOMPARE(VkInterfaceElement::decode(element.dataType(), dataSize,
                 VkInterfaceElement::encode(element.dataType(), dataSize, data, element.value())),
        element.data());
}

void TestVkConfigValues::parseJsonRefusesOtherKinds_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<QJsonValue>("json");
    QTest::newRow("text for a number") << DataTypes::TUinteger << QJsonValue("sixty");
    QTest::newRow("fraction for a number") << DataTypes::TUinteger << QJsonValue(1.5);
    QTest::newRow("number for a text") << DataTypes::TString << QJsonValue(5);
    QTest::newRow("object for a text") << DataTypes::TString << QJsonValue(QJsonObject());
    QTest::newRow("not hex") << DataTypes::THexArray << QJsonValue("xyz");
    QTest::newRow("unknown enum entry") << DataTypes::TEnum << QJsonValue("gal/h");
    QTest::newRow("bool for an enum") << DataTypes::TEnum << QJsonValue(true);
}

void TestVkConfigValues::parseJsonRefusesOtherKinds()
{
    QFETCH(DataTypes, dataType);
    QFETCH(QJsonValue, json);
    VkInterfaceElement element(profileElement(dataType, 2, 1, kUnits));
    QVariant data;
    QString error;
    QVERIFY(!ValueFormat::parseJson(element, json, data, error));
    QVERIFY(!error.isEmpty());
}

void TestVkConfigValues::printable_data()
{
    QTest::addColumn<QString>("deviceText");
    QTest::addColumn<QString>("shown");
    const QString replaced(QChar(QChar::ReplacementCharacter));
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
    QCOMPARE(ValueFormat::printable(deviceText), shown);
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
    QCOMPARE(elements.at(0).toObject().value(QStringLiteral("text")).toString(), QStringLiteral("18.0"));
    QVERIFY(elements.at(1).toObject().value(QStringLiteral("value")).isNull());

    QList<ConfigDocument::Entry> entries;
    QString error;
    QVERIFY2(ConfigDocument::read(QJsonDocument(document).toJson(), entries, error), qPrintable(error));
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
    QList<ConfigDocument::Entry> entries;
    QString reason;
    QVERIFY(!ConfigDocument::read(json, entries, reason));
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
