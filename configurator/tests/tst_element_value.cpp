// The value rules every front end shares: device bytes shown as text and read back to the same bytes
// for every data type, the strict reading of typed texts and document values, and each refusal with
// its reason. The suite runs in the zone CET-1, so local time is UTC + 1.
#include "configurator/element_value.h"
#include "testing/profile_element.h"

#include <QJsonObject>
#include <QtTest>

using configurator::ElementValue;
using Element = v_protocol::TSlaveProfile::Element;
using Types = v_protocol::TSlaveProfile::Types;
using DataTypes = v_protocol::TSlaveProfile::DataTypes;
using Editables = v_protocol::TSlaveProfile::Editables;
using Refusal = ElementValue::Refusal;

Q_DECLARE_METATYPE(DataTypes)
Q_DECLARE_METATYPE(Refusal)

namespace {

using vk_testing::profileElement;

const QStringList kUnits { QStringLiteral("l/h"), QStringLiteral("m³/h"), QStringLiteral("#gal/h (licence)") };

// The bytes a save sends for `data` (a text padded to the element's size).
QByteArray wireBytes(const VkInterfaceElement &element, const QVariant &data)
{
    VkInterfaceElement written(element.profileElement());
    written.setValue(ElementValue::bytesOf(element, data));
    v_protocol::TFileWithDataElements::Element dataElement;
    if (written.buildDataElement(dataElement) != ReturnCode::Ok)
        return QByteArray("not savable");
    return dataElement.data;
}

} // namespace

class TestElementValue : public QObject
{
    Q_OBJECT

private slots:
    void bytesShownAndReadBack_data();
    void bytesShownAndReadBack();
    void typedTexts_data();
    void typedTexts();
    void refusals_data();
    void refusals();
    void documentValues_data();
    void documentValues();
    void documentValuesOfAnotherKind_data();
    void documentValuesOfAnotherKind();
};

void TestElementValue::bytesShownAndReadBack_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<QByteArray>("valueHex");
    QTest::addColumn<QString>("shown");

    const auto U = DataTypes::TUinteger;
    const auto I = DataTypes::TInteger;
    QTest::newRow("unsigned") << U << 2 << 1 << QByteArray("6400") << "100";
    QTest::newRow("divided by the multiplier") << U << 2 << 10 << QByteArray("b400") << "18";
    QTest::newRow("a step of the multiplier") << U << 2 << 10 << QByteArray("b500") << "18.1";
    QTest::newRow("two decimals") << U << 4 << 100 << QByteArray("e2040000") << "12.5";
    QTest::newRow("small value, two decimals") << U << 4 << 100 << QByteArray("05000000") << "0.05";
    QTest::newRow("negative, three decimals") << I << 4 << 1000 << QByteArray("702ffcff") << "-250";
    QTest::newRow("negative below one") << I << 2 << 10 << QByteArray("fbff") << "-0.5";
    QTest::newRow("negative multiplier") << I << 2 << -10 << QByteArray("ceff") << "5";
    QTest::newRow("multiplier not a power of ten") << I << 2 << 3 << QByteArray("0900") << "3";
    QTest::newRow("largest four-byte unsigned") << U << 4 << 1 << QByteArray("ffffffff") << "4294967295";
    QTest::newRow("one-byte integer reads unsigned") << I << 1 << 1 << QByteArray("ff") << "255";
    QTest::newRow("two-byte integer reads signed") << I << 2 << 1 << QByteArray("ffff") << "-1";
    QTest::newRow("enum by its entry") << DataTypes::TEnum << 1 << 1 << QByteArray("01") << "m³/h";
    QTest::newRow("binary") << DataTypes::TBinary << 1 << 1 << QByteArray("01") << "1";
    QTest::newRow("binary off") << DataTypes::TBinary << 1 << 1 << QByteArray("00") << "0";
    QTest::newRow("bit field in groups of four") << DataTypes::TBitfield << 1 << 1 << QByteArray("0b") << "0000 1011";
    QTest::newRow("two-byte bit field") << DataTypes::TBitfield << 2 << 1 << QByteArray("1200")
                                        << "0000 0000 0001 0010";
    QTest::newRow("text without its padding") << DataTypes::TString << 8 << 1 << QByteArray("50756d7000000000")
                                              << "Pump";
    QTest::newRow("text in UTF-8") << DataTypes::TString << 8 << 1 << QByteArray("6dc2b32f68000000") << "m³/h";
    QTest::newRow("hex array") << DataTypes::THexArray << 2 << 1 << QByteArray("1f2e") << "1F2E";
    QTest::newRow("inverted hex array") << DataTypes::TInvertedHexArray << 4 << 1 << QByteArray("3d2c1b0a")
                                        << "0A1B2C3D";
    // 09:30 UTC is 10:30 local time.
    QTest::newRow("date and time in local time") << DataTypes::TUnixtime << 4 << 1 << QByteArray("98113d64")
                                                 << "17-4-2023 10:30:0";
}

void TestElementValue::bytesShownAndReadBack()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, dataSize);
    QFETCH(int, multiplier);
    QFETCH(QByteArray, valueHex);
    QFETCH(QString, shown);
    const QByteArray bytes = QByteArray::fromHex(valueHex);
    VkInterfaceElement element(profileElement(dataType, dataSize, multiplier, kUnits));
    QCOMPARE(ElementValue::text(element, bytes), shown);
    element.setValue(bytes);
    QCOMPARE(ElementValue::text(element), shown);

    // What is shown, typed back, is the value the device holds.
    const ElementValue::Result parsed = ElementValue::parse(element, shown);
    QVERIFY2(parsed.ok(), qPrintable(parsed.reason));
    if (dataType == DataTypes::TUnixtime) {
        // Never written: the seconds are what the bytes hold.
        QCOMPARE(parsed.data.toLongLong(), qint64(element.data().toUInt()));
    } else {
        QCOMPARE(wireBytes(element, parsed.data), bytes);
        QVERIFY(ElementValue::holds(element, parsed.data));
        QVERIFY2(ElementValue::check(element, parsed.data, false).ok(),
            qPrintable(ElementValue::check(element, parsed.data, false).reason));
    }
}

void TestElementValue::typedTexts_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("data"); // invalid: refused
    QTest::addColumn<QString>("error");

    const auto U = DataTypes::TUinteger;
    QTest::newRow("whole number") << U << 1 << "250" << QVariant(qint64(250)) << "";
    QTest::newRow("times the multiplier") << U << 10 << "18.5" << QVariant(qint64(185)) << "";
    QTest::newRow("trailing zeros") << U << 10 << "18.50" << QVariant(qint64(185)) << "";
    QTest::newRow("whole number with a multiplier") << U << 100 << "3" << QVariant(qint64(300)) << "";
    QTest::newRow("negative") << DataTypes::TInteger << 1000 << "-0.25" << QVariant(qint64(-250)) << "";
    QTest::newRow("finer than the step") << U << 10 << "18.55" << QVariant() << "finer";
    QTest::newRow("a fraction without a multiplier") << U << 1 << "1.5" << QVariant() << "finer";
    QTest::newRow("not a number") << U << 1 << "sixty" << QVariant() << "not a number";
    QTest::newRow("no exponents") << U << 1 << "1e3" << QVariant() << "not a number";
    QTest::newRow("no digits") << U << 1 << "-." << QVariant() << "not a number";
    QTest::newRow("enum by entry text") << DataTypes::TEnum << 1 << "m³/h" << QVariant(1) << "";
    QTest::newRow("enum by index") << DataTypes::TEnum << 1 << "2" << QVariant(2) << "";
    QTest::newRow("enum entry as shown, without its #") << DataTypes::TEnum << 1 << "gal/h (licence)" << QVariant(2)
                                                         << "";
    QTest::newRow("enum, unknown entry") << DataTypes::TEnum << 1 << "gal/h" << QVariant() << "not one of its entries";
    QTest::newRow("bit field in binary") << DataTypes::TBitfield << 1 << "0000 1011" << QVariant(qint64(11)) << "";
    QTest::newRow("bit field with 0b") << DataTypes::TBitfield << 1 << "0b1011" << QVariant(qint64(11)) << "";
    QTest::newRow("bit field in hex") << DataTypes::TBitfield << 1 << "0x1F" << QVariant(qint64(31)) << "";
    QTest::newRow("bit field, bad digit") << DataTypes::TBitfield << 1 << "0b102" << QVariant() << "not a bit field";
    QTest::newRow("bit field, decimal") << DataTypes::TBitfield << 1 << "12" << QVariant() << "not a bit field";
    QTest::newRow("binary as a word") << DataTypes::TBinary << 1 << "on" << QVariant(qint64(1)) << "";
    QTest::newRow("hex array") << DataTypes::THexArray << 1 << "0a1b" << QVariant(QStringLiteral("0A1B")) << "";
    QTest::newRow("hex array, odd digits") << DataTypes::THexArray << 1 << "0a1" << QVariant() << "not hexadecimal";
    QTest::newRow("text as typed") << DataTypes::TString << 1 << " Pump 3" << QVariant(QStringLiteral(" Pump 3")) << "";
    QTest::newRow("date and time as shown") << DataTypes::TUnixtime << 1 << "17-4-2023 10:30:0"
                                            << QVariant(qint64(1681723800)) << "";
    QTest::newRow("date and time in ISO order") << DataTypes::TUnixtime << 1 << "2023-04-17 10:30:00"
                                                << QVariant(qint64(1681723800)) << "";
    QTest::newRow("no date") << DataTypes::TUnixtime << 1 << "tomorrow" << QVariant() << "not a date";
}

void TestElementValue::typedTexts()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, multiplier);
    QFETCH(QString, text);
    QFETCH(QVariant, data);
    QFETCH(QString, error);
    VkInterfaceElement element(profileElement(dataType, 4, multiplier, kUnits));
    const ElementValue::Result parsed = ElementValue::parse(element, text);
    QCOMPARE(parsed.ok(), data.isValid());
    if (parsed.ok()) {
        QCOMPARE(parsed.data, data);
    } else {
        QVERIFY2(parsed.reason.contains(error), qPrintable(parsed.reason));
        QVERIFY2(parsed.reason.contains(text.trimmed()) || !parsed.reason.contains(u'"'), qPrintable(parsed.reason));
    }
}

void TestElementValue::refusals_data()
{
    QTest::addColumn<Element>("element");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("isRoot");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QString>("reason");

    const Element pulses
        = profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::Editable, 1, 10000);
    const auto none = Refusal::None;
    QTest::newRow("in range") << pulses << "100" << false << none << "";
    QTest::newRow("lowest") << pulses << "1" << false << none << "";
    QTest::newRow("highest") << pulses << "10000" << false << none << "";
    QTest::newRow("below the range") << pulses << "0" << false << Refusal::OutOfRange << "0 is out of range 1 ... 10000";
    QTest::newRow("above the range") << pulses << "10001" << false << Refusal::OutOfRange << "out of range";
    QTest::newRow("range shown scaled") << profileElement(DataTypes::TUinteger, 2, 10, {}, Types::SlaveSetting,
        Editables::Editable, 10, 5000) << "500.1" << false << Refusal::OutOfRange
                                        << "500.1 is out of range 1 ... 500";
    QTest::newRow("too large for one byte")
        << profileElement(DataTypes::TUinteger, 1) << "300" << false << Refusal::OutOfRange << "0 ... 255";
    QTest::newRow("negative in an unsigned")
        << profileElement(DataTypes::TUinteger, 2) << "-1" << false << Refusal::OutOfRange << "out of range";
    QTest::newRow("negative in a one-byte integer")
        << profileElement(DataTypes::TInteger, 1) << "-1" << false << Refusal::OutOfRange << "out of range";
    QTest::newRow("lowest two-byte integer") << profileElement(DataTypes::TInteger, 2) << "-32768" << false << none
                                             << "";
    QTest::newRow("two bytes overflow")
        << profileElement(DataTypes::TInteger, 2) << "32768" << false << Refusal::OutOfRange << "out of range";
    QTest::newRow("huge") << profileElement(DataTypes::TUinteger, 4) << "99999999999999999999" << false
                          << Refusal::OutOfRange << "too large";
    QTest::newRow("bit field wider than its bytes")
        << profileElement(DataTypes::TBitfield, 1) << "1 0000 0000" << false << Refusal::OutOfRange << "0 ... 255";
    QTest::newRow("root only, as user")
        << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::RootEditable) << "3" << false
        << Refusal::NotEditable << "not editable with user access: only root may edit it";
    QTest::newRow("root only, as root")
        << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting, Editables::RootEditable) << "3" << true
        << none << "";
    QTest::newRow("hidden root value, as user") << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveSetting,
        Editables::UserHiddenRootEditable) << "3" << false << Refusal::NotEditable << "not editable";
    QTest::newRow("read-only, as root") << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::PersonalizationInfo,
        Editables::NotEditable) << "3" << true << Refusal::NotEditable << "read-only";
    QTest::newRow("visible to root only, as root") << profileElement(DataTypes::TUinteger, 2, 1, {},
        Types::SlaveSetting, Editables::UserHiddenRootVisible) << "3" << true << Refusal::NotEditable << "read-only";
    QTest::newRow("a state value") << profileElement(DataTypes::TUinteger, 2, 1, {}, Types::SlaveState) << "3" << true
                                   << Refusal::WrongKind << "is a state";
    QTest::newRow("a caption") << profileElement(DataTypes::TNoData, 0) << "3" << true << Refusal::WrongKind
                               << "has no value";
    QTest::newRow("a date and time") << profileElement(DataTypes::TUnixtime, 4) << "1-1-2024 0:0:0" << true
                                     << Refusal::NotEditable << "date and time";
    QTest::newRow("enum entry") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << "m³/h" << false << none << "";
    QTest::newRow("enum past its entries") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << "3" << false
                                           << Refusal::EnumIndexOutside << "entry index 3 is outside its 3 entries";
    QTest::newRow("enum below its entries")
        << profileElement(DataTypes::TEnum, 1, 1, kUnits) << "-1" << false << Refusal::EnumIndexOutside << "outside";
    QTest::newRow("locked enum entry") << profileElement(DataTypes::TEnum, 1, 1, kUnits) << "#gal/h (licence)" << true
                                       << Refusal::EnumEntryLocked << "entry 2 \"#gal/h (licence)\" is locked";
    QTest::newRow("text that fits") << profileElement(DataTypes::TString, 8) << "1234567" << false << none << "";
    QTest::newRow("text without room for its end") << profileElement(DataTypes::TString, 8) << "12345678" << false
                                                   << Refusal::TooLong << "too long: 8 bytes of UTF-8, room for 7";
    QTest::newRow("text long in UTF-8")
        << profileElement(DataTypes::TString, 8) << "ääää" << false << Refusal::TooLong << "too long: 8 bytes";
    const Element apn = profileElement(DataTypes::TString, 24, 1, {}, Types::SlaveSetting, Editables::Editable, 0, 0,
        QStringLiteral("^[a-z0-9.-]*$"));
    QTest::newRow("text against its pattern")
        << apn << "Bad APN" << false << Refusal::NotAValue << "does not match its pattern";
    QTest::newRow("text matching its pattern") << apn << "iot.example.net" << false << none << "";
    QTest::newRow("hex array of its size") << profileElement(DataTypes::THexArray, 4) << "0a1b2c3d" << false << none
                                           << "";
    QTest::newRow("hex array too short") << profileElement(DataTypes::THexArray, 8) << "0A1B2C3D" << false
                                         << Refusal::NotAValue << "has 4 bytes, its size is 8";
    QTest::newRow("hex array too long") << profileElement(DataTypes::THexArray, 2) << "0A1B2C" << false
                                        << Refusal::TooLong << "room for 2";
    QTest::newRow("not a number at all")
        << pulses << "12abc" << false << Refusal::NotAValue << "\"12abc\" is not a number";
}

void TestElementValue::refusals()
{
    QFETCH(Element, element);
    QFETCH(QString, typed);
    QFETCH(bool, isRoot);
    QFETCH(Refusal, refusal);
    QFETCH(QString, reason);
    VkInterfaceElement interfaceElement(element);
    const ElementValue::Result result = ElementValue::accept(interfaceElement, typed, isRoot);
    QCOMPARE(result.refusal, refusal);
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    QCOMPARE(result.ok(), reason.isEmpty());
}

void TestElementValue::documentValues_data()
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

void TestElementValue::documentValues()
{
    QFETCH(DataTypes, dataType);
    QFETCH(int, dataSize);
    QFETCH(QByteArray, valueHex);
    QFETCH(QJsonValue, json);
    VkInterfaceElement element(profileElement(dataType, dataSize, 10, kUnits));
    element.setValue(QByteArray::fromHex(valueHex));
    QCOMPARE(ElementValue::toJson(element), json);
    // What a document carries goes back into the element as the same value.
    const ElementValue::Result read = ElementValue::fromJson(element, json);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(VkInterfaceElement::decode(element.dataType(), dataSize, ElementValue::bytesOf(element, read.data)),
        element.data());
}

void TestElementValue::documentValuesOfAnotherKind_data()
{
    QTest::addColumn<DataTypes>("dataType");
    QTest::addColumn<QJsonValue>("json");
    QTest::newRow("text for a number") << DataTypes::TUinteger << QJsonValue("sixty");
    QTest::newRow("fraction for a number") << DataTypes::TUinteger << QJsonValue(1.5);
    QTest::newRow("huge number") << DataTypes::TUinteger << QJsonValue(1e300);
    QTest::newRow("number for a text") << DataTypes::TString << QJsonValue(5);
    QTest::newRow("object for a text") << DataTypes::TString << QJsonValue(QJsonObject());
    QTest::newRow("not hex") << DataTypes::THexArray << QJsonValue("xyz");
    QTest::newRow("unknown enum entry") << DataTypes::TEnum << QJsonValue("gal/h");
    QTest::newRow("bool for an enum") << DataTypes::TEnum << QJsonValue(true);
    QTest::newRow("huge enum index") << DataTypes::TEnum << QJsonValue(1e12);
}

void TestElementValue::documentValuesOfAnotherKind()
{
    QFETCH(DataTypes, dataType);
    QFETCH(QJsonValue, json);
    VkInterfaceElement element(profileElement(dataType, 2, 1, kUnits));
    const ElementValue::Result read = ElementValue::fromJson(element, json);
    QCOMPARE(read.refusal, Refusal::NotAValue);
    QVERIFY(!read.reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestElementValue)
#include "tst_element_value.moc"
