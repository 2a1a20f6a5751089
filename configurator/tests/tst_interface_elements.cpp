// Value bytes of interface elements: decoding and encoding by data type, the save path, file elements.
#include "configurator/vk_file_info_element.h"
#include "configurator/vk_interface_element.h"

#include <QSignalSpy>
#include <QTest>

using E = VkInterfaceElement;
using v_protocol::TSlaveProfile;

namespace {

VkInterfaceElement *makeElement(
    E::DataTypes dataType, int dataSize, E::Types type = E::SlaveSetting, quint16 id = 7, QObject *parent = nullptr)
{
    TSlaveProfile::Element element;
    element.id = id;
    element.type = TSlaveProfile::Types(type);
    element.dataType = TSlaveProfile::DataTypes(dataType);
    element.dataSize = quint16(dataSize);
    element.nameEn = QStringLiteral("element %1").arg(id);
    return new VkInterfaceElement(element, parent);
}

} // namespace

class TestInterfaceElements : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void writesAndSignals();
    void buildDataElement_data();
    void buildDataElement();
    void buildFile();
    void filePermissions_data();
    void filePermissions();
};

void TestInterfaceElements::decode_data()
{
    QTest::addColumn<int>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("int 1 byte is unsigned") << int(E::TInteger) << 1 << QByteArray("ff") << QVariant(255);
    QTest::newRow("int 2 bytes signed") << int(E::TInteger) << 2 << QByteArray("ffff") << QVariant(-1);
    QTest::newRow("int 4 bytes signed") << int(E::TInteger) << 4 << QByteArray("feffffff") << QVariant(-2);
    QTest::newRow("int 3 bytes unsupported") << int(E::TInteger) << 3 << QByteArray("010203") << QVariant(0);
    QTest::newRow("uint 1") << int(E::TUinteger) << 1 << QByteArray("ff") << QVariant(255u);
    QTest::newRow("uint 2") << int(E::TUinteger) << 2 << QByteArray("ffff") << QVariant(65535u);
    QTest::newRow("uint 4 top") << int(E::TUinteger) << 4 << QByteArray("ffffffff") << QVariant(4294967295u);
    QTest::newRow("uint 8 first four") << int(E::TUinteger) << 8 << QByteArray("0100000002000000") << QVariant(1u);
    QTest::newRow("uint 3 unsupported") << int(E::TUinteger) << 3 << QByteArray("010203") << QVariant(0u);
    QTest::newRow("uint 4 short value") << int(E::TUinteger) << 4 << QByteArray("01") << QVariant(1u);
    QTest::newRow("uint empty value") << int(E::TUinteger) << 4 << QByteArray() << QVariant(0u);
    QTest::newRow("bitfield 2") << int(E::TBitfield) << 2 << QByteArray("1200") << QVariant(18u);
    QTest::newRow("hex") << int(E::THexArray) << 2 << QByteArray("0a1b") << QVariant(QByteArray("0A1B"));
    QTest::newRow("inverted hex") << int(E::TInvertedHexArray) << 2 << QByteArray("0a1b")
                                  << QVariant(QByteArray("1B0A"));
    QTest::newRow("string padded") << int(E::TString) << 4 << QByteArray("41420000") << QVariant(QStringLiteral("AB"));
    QTest::newRow("string inner NUL") << int(E::TString) << 4 << QByteArray("41004200")
                                      << QVariant(QStringLiteral("AB"));
    QTest::newRow("string not UTF-8") << int(E::TString) << 2 << QByteArray("ff41")
                                      << QVariant(QString(QChar(0xFFFD)) + QLatin1Char('A'));
    QTest::newRow("enum unsigned") << int(E::TEnum) << 1 << QByteArray("ff") << QVariant(255);
    QTest::newRow("enum empty") << int(E::TEnum) << 1 << QByteArray() << QVariant(0);
    QTest::newRow("binary 1") << int(E::TBinary) << 1 << QByteArray("01") << QVariant(1);
    QTest::newRow("binary ff") << int(E::TBinary) << 1 << QByteArray("ff") << QVariant(-1);
    QTest::newRow("unixtime") << int(E::TUnixtime) << 4 << QByteArray("00e1f505") << QVariant(100000000u);
    QTest::newRow("no data") << int(E::TNoData) << 2 << QByteArray("abcd") << QVariant(QByteArray::fromHex("abcd"));
    QTest::newRow("unknown type") << 9 << 1 << QByteArray("01") << QVariant(QByteArray::fromHex("01"));
}

void TestInterfaceElements::decode()
{
    QFETCH(int, dataType);
    QFETCH(int, dataSize);
    QFETCH(QByteArray, hex);
    QFETCH(QVariant, expected);
    std::unique_ptr<VkInterfaceElement> element(makeElement(E::DataTypes(dataType), dataSize));
    element->setValue(QByteArray::fromHex(hex));
    const QVariant value = element->data();
    QCOMPARE(value.typeId(), expected.typeId());
    QCOMPARE(value, expected);
}

void TestInterfaceElements::encode_data()
{
    QTest::addColumn<int>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QByteArray>("expectedHex");
    QTest::addColumn<QVariant>("readBack");

    QTest::newRow("int -1 in 2") << int(E::TInteger) << 2 << QVariant(QStringLiteral("-1")) << QByteArray("ffff")
                                 << QVariant(-1);
    QTest::newRow("int 255 in 1") << int(E::TInteger) << 1 << QVariant(255) << QByteArray("ff") << QVariant(255);
    QTest::newRow("int not a number") << int(E::TInteger) << 4 << QVariant(QStringLiteral("abc"))
                                      << QByteArray("00000000") << QVariant(0);
    QTest::newRow("uint top") << int(E::TUinteger) << 4 << QVariant(QStringLiteral("4294967295"))
                              << QByteArray("ffffffff") << QVariant(4294967295u);
    QTest::newRow("uint above int") << int(E::TUinteger) << 4 << QVariant(3000000000u) << QByteArray("005ed0b2")
                                    << QVariant(3000000000u);
    QTest::newRow("uint cut to size") << int(E::TUinteger) << 2 << QVariant(70000) << QByteArray("7011")
                                      << QVariant(4464u);
    QTest::newRow("uint 8 zero filled") << int(E::TUinteger) << 8 << QVariant(1) << QByteArray("0100000000000000")
                                        << QVariant(1u);
    QTest::newRow("bitfield") << int(E::TBitfield) << 2 << QVariant(18) << QByteArray("1200") << QVariant(18u);
    QTest::newRow("string") << int(E::TString) << 8 << QVariant(QStringLiteral("AB")) << QByteArray("414200")
                            << QVariant(QStringLiteral("AB"));
    QTest::newRow("hex lower") << int(E::THexArray) << 2 << QVariant(QStringLiteral("0a1b")) << QByteArray("0a1b")
                               << QVariant(QByteArray("0A1B"));
    QTest::newRow("hex junk skipped") << int(E::THexArray) << 2 << QVariant(QStringLiteral("0a-1b zz"))
                                      << QByteArray("0a1b") << QVariant(QByteArray("0A1B"));
    QTest::newRow("inverted hex") << int(E::TInvertedHexArray) << 2 << QVariant(QStringLiteral("0A1B"))
                                  << QByteArray("1b0a") << QVariant(QByteArray("0A1B"));
    QTest::newRow("enum") << int(E::TEnum) << 1 << QVariant(2) << QByteArray("02") << QVariant(2);
    QTest::newRow("binary bool") << int(E::TBinary) << 1 << QVariant(true) << QByteArray("01") << QVariant(1);
    QTest::newRow("binary -1") << int(E::TBinary) << 1 << QVariant(-1) << QByteArray("ff") << QVariant(-1);
    QTest::newRow("unixtime unchanged") << int(E::TUnixtime) << 4 << QVariant(5) << QByteArray("11223344")
                                        << QVariant(0x44332211u);
    QTest::newRow("no data unchanged") << int(E::TNoData) << 4 << QVariant(5) << QByteArray("11223344")
                                       << QVariant(QByteArray::fromHex("11223344"));
}

void TestInterfaceElements::encode()
{
    QFETCH(int, dataType);
    QFETCH(int, dataSize);
    QFETCH(QVariant, input);
    QFETCH(QByteArray, expectedHex);
    QFETCH(QVariant, readBack);
    std::unique_ptr<VkInterfaceElement> element(makeElement(E::DataTypes(dataType), dataSize));
    element->setValue(QByteArray::fromHex("11223344"));
    element->setData(input);
    QCOMPARE(element->value().toHex(), expectedHex);
    QCOMPARE(element->data(), readBack);
}

void TestInterfaceElements::writesAndSignals()
{
    std::unique_ptr<VkInterfaceElement> element(makeElement(E::TUinteger, 2));
    QSignalSpy changed(element.get(), &VkInterfaceElement::changedData);
    element->setData(5); // the first assignment after creation
    QCOMPARE(changed.count(), 0);
    QCOMPARE(element->value(), QByteArray::fromHex("0500"));
    element->setData(6);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toByteArray(), QByteArray::fromHex("0600"));
    element->setValue(QByteArray::fromHex("0700")); // a received value
    QCOMPARE(changed.count(), 1);
    QCOMPARE(element->data(), QVariant(7u));
    QCOMPARE(element->dataElementKey(), VkInterfaceElement::DataElementKey(2, 7));
}

void TestInterfaceElements::buildDataElement_data()
{
    QTest::addColumn<int>("dataType");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("dataHex");

    QTest::newRow("string padded") << int(E::TString) << 8 << QVariant(QStringLiteral("ABC")) << int(ReturnCode::Ok)
                                   << QByteArray("4142430000000000");
    QTest::newRow("string of 7 fits") << int(E::TString) << 8 << QVariant(QStringLiteral("ABCDEFG"))
                                      << int(ReturnCode::Ok) << QByteArray("4142434445464700");
    QTest::newRow("string of 8 too long") << int(E::TString) << 8 << QVariant(QStringLiteral("ABCDEFGH"))
                                          << int(ReturnCode::ErrArgumentBadValue) << QByteArray();
    QTest::newRow("UTF-8 bytes count") << int(E::TString) << 8 << QVariant(QStringLiteral("ÄÖÜß"))
                                       << int(ReturnCode::ErrArgumentBadValue) << QByteArray();
    QTest::newRow("uint exact") << int(E::TUinteger) << 2 << QVariant(258) << int(ReturnCode::Ok) << QByteArray("0201");
    QTest::newRow("hex too short") << int(E::THexArray) << 4 << QVariant(QStringLiteral("0102"))
                                   << int(ReturnCode::ErrArgumentBadValue) << QByteArray();
    QTest::newRow("size beyond one byte") << int(E::TString) << 300 << QVariant(QStringLiteral("A"))
                                          << int(ReturnCode::ErrArgumentBadValue) << QByteArray();
}

void TestInterfaceElements::buildDataElement()
{
    QFETCH(int, dataType);
    QFETCH(int, dataSize);
    QFETCH(QVariant, input);
    QFETCH(int, result);
    QFETCH(QByteArray, dataHex);
    std::unique_ptr<VkInterfaceElement> element(makeElement(E::DataTypes(dataType), dataSize));
    element->setData(input);
    v_protocol::TFileWithDataElements::Element built;
    QCOMPARE(int(element->buildDataElement(built)), result);
    if (result == int(ReturnCode::Ok)) {
        QCOMPARE(built.data.toHex(), dataHex);
        QCOMPARE(int(built.dataSize), dataSize);
        QCOMPARE(built.id, quint16(7));
    }
}

void TestInterfaceElements::buildFile()
{
    QObject owner;
    const QList<VkInterfaceElement *> elements = {
        makeElement(E::TUinteger, 2, E::SlaveSetting, 1, &owner),
        makeElement(E::TNoData, 0, E::SlaveSetting, 2, &owner), // a group title
        makeElement(E::TString, 4, E::PersonalizationInfo, 3, &owner),
        makeElement(E::TEnum, 1, E::SlaveSetting, 4, &owner),
        makeElement(E::TUinteger, 2, E::SlaveState, 5, &owner),
    };
    elements[0]->setData(100);
    elements[2]->setData(QStringLiteral("ab"));
    elements[3]->setData(2);
    elements[4]->setData(9);

    v_protocol::TFileWithDataElements file;
    QCOMPARE(VkInterfaceElement::buildDataElementsFile(elements, E::SlaveSetting, 2, file), ReturnCode::Ok);
    QCOMPARE(file.fileId, quint8(2));
    QCOMPARE(file.elements.size(), 2);
    QCOMPARE(file.elements[0].id, quint16(1));
    QCOMPARE(file.elements[1].id, quint16(4));
    QCOMPARE(file.elements[1].data, QByteArray::fromHex("02"));

    QCOMPARE(VkInterfaceElement::buildDataElementsFile(elements, E::PersonalizationInfo, 1, file), ReturnCode::Ok);
    QCOMPARE(file.elements.size(), 1);
    QCOMPARE(file.elements[0].data, QByteArray("ab\0\0", 4));

    // One element that cannot be built spoils the whole file.
    QList<VkInterfaceElement *> withEmpty = elements;
    withEmpty.insert(1, makeElement(E::TUinteger, 4, E::SlaveSetting, 6, &owner));
    QCOMPARE(VkInterfaceElement::buildDataElementsFile(withEmpty, E::SlaveSetting, 2, file),
        ReturnCode::ErrArgumentBadValue);
    QVERIFY(file.elements.isEmpty());

    QCOMPARE(VkInterfaceElement::buildDataElementsFile({}, E::SlaveSetting, 2, file),
        ReturnCode::ErrArgumentUnsupportedValue);
}

void TestInterfaceElements::filePermissions_data()
{
    QTest::addColumn<int>("permission");
    QTest::addColumn<bool>("root");
    QTest::addColumn<bool>("user");
    QTest::newRow("hidden") << int(VkFileInfoElement::Hidden) << false << false;
    QTest::newRow("root only") << int(VkFileInfoElement::RootEnabledUserDisabled) << true << false;
    QTest::newRow("user only") << int(VkFileInfoElement::RootDisabledUserEnabled) << false << true;
    QTest::newRow("enabled") << int(VkFileInfoElement::Enabled) << true << true;
}

void TestInterfaceElements::filePermissions()
{
    QFETCH(int, permission);
    QFETCH(bool, root);
    QFETCH(bool, user);
    v_protocol::TFileTable::Element entry;
    entry.fileId = 17;
    entry.readPermission = v_protocol::TFileTable::Permission(permission);
    VkFileInfoElement file(entry, QStringLiteral("log"));
    QCOMPARE(int(file.readPermission()), permission);
    QCOMPARE(VkFileInfoElement::permits(file.readPermission(), true), root);
    QCOMPARE(VkFileInfoElement::permits(file.readPermission(), false), user);
    QSignalSpy renamed(&file, &VkFileInfoElement::changedFileName);
    file.setFileName(QStringLiteral("events"));
    QCOMPARE(file.fileName(), QStringLiteral("events"));
    QCOMPARE(renamed.count(), 0);
}

QTEST_GUILESS_MAIN(TestInterfaceElements)
#include "tst_interface_elements.moc"
