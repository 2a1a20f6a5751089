#include "testing/log_capture.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/crc.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_transfer.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_application.h"
#include "v_protocol/t_slave_profile.h"

#include <QJsonArray>
#include <QtTest>

using namespace v_protocol;

namespace {

// The image cut into chunks of at most `part` bytes, as a read would receive it.
TChunkedFile chunked(const QByteArray &image, quint8 fileId, int part = 7)
{
    return TFileTransfer::cutIntoChunks(image, fileId, 0, image.size(), part);
}

QByteArray withCrc(const QByteArray &body)
{
    QByteArray bytes = body;
    ByteWriter(bytes).u16(calcCrc16(body));
    return bytes;
}

// One profile element written field by field; texts are given with or without their zero byte.
QByteArray profileElement(quint16 id, const QByteArray &names, const QByteArray &enumText, const QByteArray &regexp,
    qint32 min = -5, qint32 max = 500)
{
    QByteArray bytes;
    ByteWriter(bytes)
        .u16(id)
        .u8(1)
        .u8(2)
        .bytes(names)
        .u16(3)
        .u8(5)
        .u16(2)
        .i32(10)
        .i32(min)
        .i32(max)
        .bytes(enumText)
        .u8(2)
        .bytes(regexp);
    return bytes;
}

} // namespace

class TestDeviceFiles : public QObject
{
    Q_OBJECT

private slots:
    void applicationInfo();
    void applicationInfoRejections();
    void slaveApplicationForms();
    void fileTable();
    void fileTableRejections_data();
    void fileTableRejections();
    void fileTableJson();
    void dataElements();
    void dataElementRejections_data();
    void dataElementRejections();
    void dataElementEncoding();
    void profileFields();
    void profileTexts_data();
    void profileTexts();
    void profileRejections_data();
    void profileRejections();
    void profileRoundTrip();
    void profileDefaultsAndDebugForm();
    void decodersReturnMergeErrors();
};

void TestDeviceFiles::applicationInfo()
{
    TApplicationInfoFile info;
    QCOMPARE(chunked(QByteArray::fromHex("34120521414243"), 0, 3).toApplicationInfoFile(info), ReturnCode::Ok);
    QCOMPARE(info.ModelId, quint16(4660));
    QCOMPARE(info.HardwareVersion, quint8(5));
    QCOMPARE(info.FirmwareVersion.Major, quint8(1));
    QCOMPARE(info.FirmwareVersion.Minor, quint8(2));
    QCOMPARE(info.Name, QStringLiteral("ABC"));
    QCOMPARE(info.toByteArray(), QByteArray::fromHex("34120521414243"));

    QCOMPARE(TApplicationInfoFile::fromByteArray(QByteArray::fromHex("01000200"), info), ReturnCode::Ok);
    QCOMPARE(info.Name, QString());
}

void TestDeviceFiles::applicationInfoRejections()
{
    vk_testing::LogCapture log;
    TApplicationInfoFile info;
    QCOMPARE(
        TApplicationInfoFile::fromByteArray(QByteArray::fromHex("341205"), info), ReturnCode::ErrParsingInvalidSize);
    QCOMPARE(log.count("Bad result: "), 1);
}

void TestDeviceFiles::slaveApplicationForms()
{
    TSlaveApplication app;
    QCOMPARE(app.Serial, ~quint64(0));
    QVERIFY(!app.hasSerial());
    app.Name = QStringLiteral("Pump");
    app.Serial = 123456;
    app.ModelId = 7;
    app.HardwareVersion = 2;
    app.FirmwareVersion = TFirmwareVersion::fromByte(0x31);
    app.AuthResult = TAuthResult::SuccessUser;
    app.AppType = TAppType::Dravik;
    app.MaxSizePacket = 244;
    app.Pass = QStringLiteral("1234");
    QCOMPARE(app.displayText(), QStringLiteral("Pump-123456"));
    QString text;
    QDebug(&text) << app;
    QCOMPARE(text, QStringLiteral("TSlaveApplication[Pump-123456] "));
    QCOMPARE(app.toJson(),
        (QJsonObject { { "ModelId", 7 }, { "HardwareVersion", 2 }, { "FirmwareVersion", "1:3" }, { "Name", "Pump" },
            { "AuthResult", 1 }, { "AppType", 2 }, { "MaxSizePacket", 244 }, { "Serial", 123456 },
            { "Pass", "1234" } }));
}

void TestDeviceFiles::fileTable()
{
    // Element 1: file 4, 4096 bytes, read Enabled, write RootDisabledUserEnabled, clear RootEnabledUserDisabled,
    // checkCrc and fast reading, RingErasable. Element 2: file 9, hidden, no flags, unnamed format 7.
    const QByteArray body = QByteArray::fromHex("04"
                                                "00100000"
                                                "1b"
                                                "03"
                                                "02"
                                                "aabbcc"
                                                "09"
                                                "ffffffff"
                                                "c0"
                                                "fc"
                                                "07"
                                                "000000");
    TFileTable table;
    QCOMPARE(chunked(withCrc(body), 8).toFileTable(table), ReturnCode::Ok);
    QCOMPARE(table.elements.size(), 2);
    const TFileTable::Element &first = table.elements.at(0);
    QCOMPARE(first.fileId, quint8(4));
    QCOMPARE(first.maxSize, 4096u);
    QCOMPARE(first.readPermission, TFileTable::Permission::Enabled);
    QCOMPARE(first.writePermission, TFileTable::Permission::RootDisabledUserEnabled);
    QCOMPARE(first.clearPermission, TFileTable::Permission::RootEnabledUserDisabled);
    QVERIFY(first.checkCrc);
    QVERIFY(first.fastReading);
    QCOMPARE(first.format, TFileTable::Format::RingErasable);
    const TFileTable::Element &second = table.elements.at(1);
    QCOMPARE(second.maxSize, 0xFFFFFFFFu);
    QCOMPARE(second.readPermission, TFileTable::Permission::Hidden);
    QCOMPARE(second.clearPermission, TFileTable::Permission::Hidden); // bits 6-7 are not part of it
    QVERIFY(!second.checkCrc);
    QVERIFY(!second.fastReading);
    QCOMPARE(quint8(second.format), quint8(7));
    QCOMPARE(table.crc, calcCrc16(body));

    // Encoding keeps every field; reserved and unused bits come back as zero.
    TFileTable again;
    QCOMPARE(TFileTable::fromByteArray(table.toByteArray(), again), ReturnCode::Ok);
    QCOMPARE(again.elements, table.elements);

    QCOMPARE(TFileTable::fromByteArray(withCrc(QByteArray()), again), ReturnCode::Ok);
    QVERIFY(again.elements.isEmpty());
}

void TestDeviceFiles::fileTableRejections_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("line");

    const QByteArray element = QByteArray::fromHex("0400100000ff0302000000");
    QByteArray badCrc = withCrc(element + element);
    badCrc[22] = char(badCrc.at(22) ^ 0xFF);
    const quint16 good = calcCrc16(element + element);
    QTest::newRow("23 bytes with a valid CRC")
        << withCrc(element + element.left(10)) << int(ReturnCode::ErrParsingInvalidSize)
        << "Invalid RAW data file part: " + QString::fromLatin1(element.left(10).toHex());
    QTest::newRow("wrong CRC")
        << badCrc << int(ReturnCode::ErrParsingInvalidCrc)
        << QStringLiteral("Invalid file CRC: from packet[%1], calculated[%2]").arg(good ^ 0x00FF).arg(good);
    QTest::newRow("one byte") << QByteArray(1, '\0') << int(ReturnCode::ErrParsingInvalidSize) << QString();
}

void TestDeviceFiles::fileTableRejections()
{
    QFETCH(QByteArray, image);
    QFETCH(int, result);
    QFETCH(QString, line);

    vk_testing::LogCapture log;
    TFileTable table;
    QCOMPARE(int(chunked(image, 8).toFileTable(table)), result);
    if (!line.isEmpty())
        QVERIFY2(log.texts().contains(line), qPrintable(log.texts().join('\n')));
    QCOMPARE(log.count("Bad result: "), 1);
}

void TestDeviceFiles::fileTableJson()
{
    TFileTable table;
    TFileTable::Element element;
    element.fileId = 2;
    element.maxSize = 512;
    element.readPermission = TFileTable::Permission::Enabled;
    element.checkCrc = true;
    element.fastReading = true;
    element.format = TFileTable::Format::FIFOErasable;
    table.elements.append(element);
    table.crc = 4660;
    const QJsonObject expectedElement {
        { "fileId", 2 },
        { "maxSize", 512 },
        { "readPermission", "::v_protocol::TFileTable::Permission::Enabled" },
        { "writePermission", "::v_protocol::TFileTable::Permission::Hidden" },
        { "clearPermission", "::v_protocol::TFileTable::Permission::Hidden" },
        { "checkCrc", true },
        { "format", "::v_protocol::TFileTable::Format::FIFOErasable" },
    };
    QCOMPARE(table.toJson(), (QJsonObject { { "elements", QJsonArray { expectedElement } }, { "crc", 4660 } }));
}

void TestDeviceFiles::dataElements()
{
    const QByteArray body = QByteArray::fromHex("02"
                                                "0100"
                                                "aabb"
                                                "00"
                                                "0200"
                                                "04"
                                                "ffff"
                                                "01020304");
    TFileWithDataElements file;
    QCOMPARE(chunked(withCrc(body), 2, 4).toFileWithDataElements(file), ReturnCode::Ok);
    QCOMPARE(file.fileId, quint8(2));
    QCOMPARE(file.elements.size(), 3);
    QCOMPARE(file.elements.at(0).id, quint16(1));
    QCOMPARE(file.elements.at(0).data, QByteArray::fromHex("aabb"));
    QCOMPARE(file.elements.at(1).dataSize, quint8(0)); // elements of length 0 are valid
    QVERIFY(file.elements.at(1).data.isEmpty());
    QCOMPARE(file.elements.at(2).id, quint16(0xFFFF));
    QCOMPARE(file.elements.at(2).data, QByteArray::fromHex("01020304"));
    QCOMPARE(file.crc, calcCrc16(body));

    QCOMPARE(TFileWithDataElements().fileId, quint8(6));
}

void TestDeviceFiles::dataElementRejections_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<quint8>("fileId");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("line");

    const QByteArray body = QByteArray::fromHex("02"
                                                "0100"
                                                "aabb");
    QByteArray badCrc = withCrc(body);
    badCrc[5] = char(badCrc.at(5) ^ 0x01);
    const quint16 good = calcCrc16(body);
    QTest::newRow("state file tolerates a wrong CRC") << badCrc << quint8(3) << int(ReturnCode::Ok) << QString();
    QTest::newRow("settings file does not")
        << badCrc << quint8(2) << int(ReturnCode::ErrParsingInvalidCrc)
        << QStringLiteral("Invalid CRC: from packet[%1], calculated[%2]").arg(good ^ 0x0001).arg(good);
    QTest::newRow("4 data bytes announced, 3 left") << withCrc(QByteArray::fromHex("04"
                                                                                   "0700"
                                                                                   "010203"))
                                                    << quint8(1) << int(ReturnCode::ErrParsingInvalidSize)
                                                    << "Invalid Element::data size: expect[4], data.size()[3]";
    QTest::newRow("element head cut") << withCrc(body + QByteArray::fromHex("0201")) << quint8(2)
                                      << int(ReturnCode::ErrParsingInvalidSize) << "Invalid RAW data part: 0201";
    QTest::newRow("one byte") << QByteArray(1, '\0') << quint8(2) << int(ReturnCode::ErrParsingInvalidSize)
                              << QString();
}

void TestDeviceFiles::dataElementRejections()
{
    QFETCH(QByteArray, image);
    QFETCH(quint8, fileId);
    QFETCH(int, result);
    QFETCH(QString, line);

    vk_testing::LogCapture log;
    TFileWithDataElements file;
    QCOMPARE(int(chunked(image, fileId).toFileWithDataElements(file)), result);
    if (!line.isEmpty())
        QVERIFY2(log.texts().contains(line), qPrintable(log.texts().join('\n')));
    QCOMPARE(log.count("Bad result: "), result < 0 ? 1 : 0);
}

void TestDeviceFiles::dataElementEncoding()
{
    TFileWithDataElements file;
    file.fileId = 2;
    file.elements.append({ 2, 0x0102, QByteArray::fromHex("aabb") });
    file.elements.append({ 0, 7, QByteArray() });
    const QByteArray body = QByteArray::fromHex("02"
                                                "0201"
                                                "aabb"
                                                "00"
                                                "0700");
    QCOMPARE(file.toByteArray(), withCrc(body));

    // A file larger than 64 KiB: every byte is covered by the CRC and decodes back.
    TFileWithDataElements large;
    large.fileId = 1;
    for (int i = 0; i < 300; ++i)
        large.elements.append({ 250, quint16(i), QByteArray(250, char(i)) });
    const QByteArray image = large.toByteArray();
    QVERIFY(image.size() > 65536);
    TFileWithDataElements back;
    QCOMPARE(TFileWithDataElements::fromByteArray(1, image, back), ReturnCode::Ok);
    QCOMPARE(back.elements, large.elements);
    QCOMPARE(back.crc, calcCrc16(image.left(image.size() - 2)));
}

void TestDeviceFiles::profileFields()
{
    const QByteArray image = profileElement(513, QByteArray("Speed*Skorost\0", 14), QByteArray("Off*On\0", 7),
        QByteArray("^[0-9]+$\0", 9), -2147483647 - 1, -1);
    TSlaveProfile profile;
    QCOMPARE(chunked(image, 4).toSlaveProfile(profile), ReturnCode::Ok);
    QCOMPARE(profile.elements.size(), 1);
    const TSlaveProfile::Element &e = profile.elements.first();
    QCOMPARE(e.id, quint16(513));
    QCOMPARE(e.type, TSlaveProfile::Types::SlaveSetting);
    QCOMPARE(e.editable, TSlaveProfile::Editables::RootEditable);
    QCOMPARE(e.parentId, quint16(3));
    QCOMPARE(e.dataType, TSlaveProfile::DataTypes::TEnum);
    QCOMPARE(e.dataSize, quint16(2));
    QCOMPARE(e.multiplier, 10);
    QCOMPARE(e.min, -2147483647 - 1); // read as signed
    QCOMPARE(e.max, -1);
    QCOMPARE(e.enumRep, TSlaveProfile::EnumReps::Wheel);
    QCOMPARE(e.regexp, QStringLiteral("^[0-9]+$"));
}

void TestDeviceFiles::profileTexts_data()
{
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<QByteArray>("enumText");
    QTest::addColumn<QString>("nameEn");
    QTest::addColumn<QString>("nameRu");
    QTest::addColumn<QStringList>("enumValues");

    const auto z = [](const char *text) { return QByteArray(text) + '\0'; };
    QTest::newRow("both names, two entries") << z("Speed*Skorost") << z("Off*On") << "Speed"
                                             << "Skorost" << QStringList { "Off", "On" };
    QTest::newRow("one name, empty enumeration") << z("Speed") << z("") << "Speed"
                                                 << "Speed" << QStringList { "" };
    QTest::newRow("split at the first star") << z("a*b*c") << z("x") << "a"
                                             << "b*c" << QStringList { "x" };
    QTest::newRow("empty names") << z("") << z("*") << ""
                                 << "" << QStringList { "", "" };
    QTest::newRow("trailing star") << z("En*") << z("Off*") << "En"
                                   << "" << QStringList { "Off", "" };
    QTest::newRow("utf-8") << z("Temp*\xd0\xa2\xd0\xb5\xd0\xbc\xd0\xbf")
                           << z("\xc2\xb0"
                                "C*\xc2\xb0"
                                "F")
                           << "Temp" << QString::fromUtf8("\xd0\xa2\xd0\xb5\xd0\xbc\xd0\xbf")
                           << QStringList { QString::fromUtf8("\xc2\xb0"
                                                              "C"),
                                  QString::fromUtf8("\xc2\xb0"
                                                    "F") };
}

void TestDeviceFiles::profileTexts()
{
    QFETCH(QByteArray, names);
    QFETCH(QByteArray, enumText);
    QFETCH(QString, nameEn);
    QFETCH(QString, nameRu);
    QFETCH(QStringList, enumValues);

    TSlaveProfile profile;
    QCOMPARE(
        TSlaveProfile::fromByteArray(profileElement(1, names, enumText, QByteArray(1, '\0')), profile), ReturnCode::Ok);
    QCOMPARE(profile.elements.size(), 1);
    QCOMPARE(profile.elements.first().nameEn, nameEn);
    QCOMPARE(profile.elements.first().nameRu, nameRu);
    QCOMPARE(profile.elements.first().enumValues, enumValues);
    QCOMPARE(profile.elements.first().regexp, QString());
}

void TestDeviceFiles::profileRejections_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("textLine");

    const QByteArray zero(1, '\0');
    const QByteArray valid = profileElement(1, zero, zero, zero);
    QCOMPARE(valid.size(), 25);
    QTest::newRow("24 bytes") << valid.left(24) << false;
    QTest::newRow("valid element, 24 bytes more") << valid + valid.left(24) << false;
    // A text without its zero byte is refused, not read as empty (which would shift the fields after it).
    QTest::newRow("regexp without zero byte") << profileElement(1, zero, zero, QByteArray("abc")) << true;
    QTest::newRow("names without zero byte")
        << QByteArray::fromHex("0100010241424344454647484950515253545556575859") + "abc" << true;
    // Long texts leave too few bytes for the numbers after them.
    QTest::newRow("fields cut after a long name")
        << QByteArray::fromHex("01000102") + QByteArray(20, 'n') + zero + QByteArray::fromHex("0300050200") << false;
}

void TestDeviceFiles::profileRejections()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, textLine);

    vk_testing::LogCapture log;
    TSlaveProfile profile;
    QCOMPARE(TSlaveProfile::fromByteArray(image, profile), ReturnCode::ErrParsingInvalidSize);
    QCOMPARE(log.count("Bad result: "), 1);
    QCOMPARE(log.count("Invalid profile text: no terminating zero byte"), textLine ? 1 : 0);
}

void TestDeviceFiles::profileRoundTrip()
{
    TSlaveProfile profile;
    for (int i = 0; i < 3; ++i) {
        TSlaveProfile::Element e;
        e.id = quint16(100 + i);
        e.type = TSlaveProfile::Types(i);
        e.editable = TSlaveProfile::Editables::UserHiddenRootEditable;
        e.nameEn = QStringLiteral("Name %1").arg(i);
        e.nameRu = i == 1 ? e.nameEn : QStringLiteral("Imya %1").arg(i);
        e.parentId = quint16(i);
        e.dataType = TSlaveProfile::DataTypes::TBitfield;
        e.dataSize = 4;
        e.multiplier = -3;
        e.min = -100;
        e.max = 100;
        e.enumValues = i == 2 ? QStringList { "" } : QStringList { "a", "", "c" };
        e.enumRep = TSlaveProfile::EnumReps::Radiobuttons;
        e.regexp = i == 0 ? QString() : QStringLiteral("[a-z]*");
        profile.elements.append(e);
    }
    TSlaveProfile back;
    QCOMPARE(chunked(profile.toByteArray(), 4, 5).toSlaveProfile(back), ReturnCode::Ok);
    QCOMPARE(back, profile);

    QCOMPARE(TSlaveProfile::fromByteArray(QByteArray(), back), ReturnCode::Ok);
    QVERIFY(back.elements.isEmpty());
}

void TestDeviceFiles::profileDefaultsAndDebugForm()
{
    TSlaveProfile::Element e;
    QCOMPARE(e.dataType, TSlaveProfile::DataTypes::TNoData);
    QCOMPARE(e.multiplier, 1);
    QCOMPARE(e.min, 0);
    QVERIFY(e.enumValues.isEmpty());

    e.id = 7;
    e.type = TSlaveProfile::Types::SlaveState;
    e.nameEn = QStringLiteral("Speed %1");
    e.dataType = TSlaveProfile::DataTypes::TUinteger;
    e.dataSize = 2;
    e.parentId = 3;
    QString text;
    QDebug(&text) << e;
    QCOMPARE(text,
        QStringLiteral("TSlaveProfile:Element: Id[7]{type:::v_protocol::TSlaveProfile::Types::SlaveState, "
                       "name:Speed %1, dataType:::v_protocol::TSlaveProfile::DataTypes::TUinteger, "
                       "dataSize:2, parent:3} "));
}

void TestDeviceFiles::decodersReturnMergeErrors()
{
    const TChunkedFile none;
    TApplicationInfoFile info;
    TFileTable table;
    TFileWithDataElements elements;
    TSlaveProfile profile;
    QCOMPARE(none.toApplicationInfoFile(info), ReturnCode::ErrParsingInvalidArgLength);
    QCOMPARE(none.toFileTable(table), ReturnCode::ErrParsingInvalidArgLength);
    QCOMPARE(none.toFileWithDataElements(elements), ReturnCode::ErrParsingInvalidArgLength);
    QCOMPARE(elements.fileId, quint8(6));
    QCOMPARE(none.toSlaveProfile(profile), ReturnCode::ErrParsingInvalidArgLength);

    TChunkedFile gap = chunked(QByteArray::fromHex("34120521414243"), 0, 3);
    gap.removeAt(1);
    QCOMPARE(gap.toApplicationInfoFile(info), ReturnCode::ErrParsingInvalidSize);
}

QTEST_GUILESS_MAIN(TestDeviceFiles)
#include "tst_device_files.moc"
