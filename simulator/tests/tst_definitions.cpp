// Device definitions: the shipped files, the JSON schema and its refusals, value encoding by data
// type, the catalog of a folder and what a definition advertises.
#include "sim_test_support.h"

#include "simulator/definition_reader.h"
#include "simulator/value_codec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

using namespace simulator;
using namespace v_protocol;
using Types = TSlaveProfile::Types;
using DataTypes = TSlaveProfile::DataTypes;
using Editables = TSlaveProfile::Editables;

Q_DECLARE_METATYPE(TSlaveProfile::DataTypes)

namespace {

// The smallest valid definition; the schema tests change one thing at a time.
QJsonObject minimal()
{
    return QJsonDocument::fromJson(R"({
        "id": "mini", "serial": 77, "modelId": 1, "rootPassword": "1111", "address": "C4:7F:51:00:00:77",
        "name": "Mini", "firmwareVersion": "1.0",
        "profile": [ { "id": 5, "type": "SlaveSetting", "nameEn": "Level", "dataType": "TUinteger", "dataSize": 2,
                       "value": 3 } ]
    })")
        .object();
}

// `json` with `value` put at the dotted `path` ("profile.0.dataSize"); an undefined value removes it.
QJsonValue changed(const QJsonValue &json, QStringList path, const QJsonValue &value)
{
    if (path.isEmpty())
        return value;
    const QString key = path.takeFirst();
    if (json.isArray()) {
        QJsonArray array = json.toArray();
        array[key.toInt()] = changed(array.at(key.toInt()), path, value);
        return array;
    }
    QJsonObject object = json.toObject();
    if (path.isEmpty() && value.isUndefined())
        object.remove(key);
    else
        object[key] = changed(object.value(key), path, value);
    return object;
}

TSlaveProfile::Element element(DataTypes type, int size, const QStringList &enumValues = {})
{
    TSlaveProfile::Element element;
    element.dataType = type;
    element.dataSize = quint16(size);
    element.enumValues = enumValues;
    return element;
}

bool writeFile(const QString &path, const QJsonObject &json)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(json).toJson()) > 0;
}

} // namespace

class TestDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void shippedDevices();
    void builtInEqualsSourceFolder();
    void flatAndHierarchicalProfiles();
    void hierarchicalProfileCoversEveryKind();
    void advertisement();
    void valueEncoding_data();
    void valueEncoding();
    void valueRefusals_data();
    void valueRefusals();
    void schemaRefusals_data();
    void schemaRefusals();
    void defaults();
    void otherApplicationTypes();
    void catalogOfAFolder();
};

void TestDefinitions::shippedDevices()
{
    QVERIFY2(sim_test::shipped().errors().isEmpty(), qPrintable(sim_test::shipped().errors().join('\n')));
    // Serial numbers and names are what other tests and demo users rely on.
    const QList<std::tuple<QString, quint32, QString, bool>> expected {
        { "fm200", 10250001, "FM-200 Flow", false },
        { "gw4", 20480017, "GW-4 Gateway", false },
        { "vc1", 30720005, "VC-1 Boot", true },
    };
    QCOMPARE(sim_test::shipped().definitions().size(), expected.size());
    for (const auto &[id, serial, name, bootloader] : expected) {
        const DeviceDefinition *definition = sim_test::shipped().find(id);
        QVERIFY2(definition, qPrintable(id));
        QCOMPARE(definition->serial, serial);
        QCOMPARE(definition->advertisement().name, name);
        QCOMPARE(definition->startsInBootloader, bootloader);
        QCOMPARE(sim_test::shipped().find(QString::number(serial)), definition);
        QCOMPARE(sim_test::shipped().findBySerial(serial), definition);
        QCOMPARE(sim_test::shipped().findByAddress(definition->address.toLower()), definition);
        QVERIFY(definition->link.maximumPacketSize() > 0);
    }
}

void TestDefinitions::builtInEqualsSourceFolder()
{
    DeviceCatalog source;
    QCOMPARE(source.loadFolder(DeviceCatalog::sourceFolder()), ReturnCode::Ok);
    QCOMPARE(source.definitions().size(), sim_test::shipped().definitions().size());
    for (int i = 0; i < source.definitions().size(); ++i) {
        const DeviceDefinition &a = source.definitions().at(i);
        const DeviceDefinition &b = sim_test::shipped().definitions().at(i);
        QCOMPARE(a.id, b.id);
        QCOMPARE(a.application.slaveProfile(), b.application.slaveProfile());
        QCOMPARE(DeviceEngine(a).fileImage(2), DeviceEngine(b).fileImage(2));
    }
}

void TestDefinitions::flatAndHierarchicalProfiles()
{
    auto hasNewMarker = [](const FirmwareDefinition &firmware) {
        for (const ProfileEntry &entry : firmware.profile) {
            if (entry.element.nameEn == QLatin1String("NEW"))
                return true;
        }
        return false;
    };
    QVERIFY(!hasNewMarker(sim_test::device("fm200").application));
    QVERIFY(!hasNewMarker(sim_test::device("vc1").application));
    QVERIFY(hasNewMarker(sim_test::device("gw4").application));
}

void TestDefinitions::hierarchicalProfileCoversEveryKind()
{
    const FirmwareDefinition firmware = sim_test::device(QStringLiteral("gw4")).application;
    QSet<int> dataTypes;
    QSet<int> types;
    QSet<int> editables;
    QSet<quint16> ids;
    bool hashEntry = false;
    bool nestedGroup = false;
    bool unknownParent = false;
    for (const ProfileEntry &entry : firmware.profile) {
        const TSlaveProfile::Element &element = entry.element;
        dataTypes << int(element.dataType);
        types << int(element.type);
        editables << int(element.editable);
        for (const QString &value : element.enumValues)
            hashEntry |= value.startsWith(QLatin1Char('#'));
        const ProfileEntry *parent = firmware.profileEntry(element.parentId);
        nestedGroup
            |= element.dataType == DataTypes::TNoData && parent && parent->element.dataType == DataTypes::TNoData;
        // The parent must come first: the configurator attaches an element to a parent it has seen.
        unknownParent |= element.parentId != 0 && !ids.contains(element.parentId);
        ids << element.id;
    }
    const QMetaEnum dataTypeMeta = QMetaEnum::fromType<DataTypes>();
    for (int i = 0; i < dataTypeMeta.keyCount(); ++i)
        QVERIFY2(dataTypes.contains(dataTypeMeta.value(i)), dataTypeMeta.key(i));
    const QMetaEnum typeMeta = QMetaEnum::fromType<Types>();
    for (int i = 0; i < typeMeta.keyCount(); ++i)
        QVERIFY2(types.contains(typeMeta.value(i)), typeMeta.key(i));
    const QMetaEnum editableMeta = QMetaEnum::fromType<Editables>();
    for (int i = 0; i < editableMeta.keyCount(); ++i)
        QVERIFY2(editables.contains(editableMeta.value(i)), editableMeta.key(i));
    QVERIFY(hashEntry);
    QVERIFY(nestedGroup);
    QVERIFY(unknownParent);
}

void TestDefinitions::advertisement()
{
    const DeviceDefinition fm200 = sim_test::device(QStringLiteral("fm200"));
    const SimulatedAdvertisement advertisement = fm200.advertisement();
    // "VK", serial 10250001 little-endian, model 17, version 2.4, hardware 3, application, extra byte.
    QCOMPARE(advertisement.manufacturerData.toHex(),
        QByteArray("564b"
                   "11679c00"
                   "11"
                   "42"
                   "03"
                   "01"
                   "5a"));
    QCOMPARE(advertisement.companyId, SimulatedAdvertisement::kTestCompanyId);
    QCOMPARE(advertisement.address, QStringLiteral("C4:7F:51:00:10:01"));
    QCOMPARE(advertisement.name, QStringLiteral("FM-200 Flow"));
    QCOMPARE(fm200.link.maximumPacketSize(), 244);
    QCOMPARE(sim_test::device(QStringLiteral("gw4")).link.maximumPacketSize(), 182);
}

void TestDefinitions::valueEncoding_data()
{
    QTest::addColumn<DataTypes>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QByteArray>("bytes");
    const QStringList modes { "Off", "#Service", "On" };
    QTest::newRow("integer -2 in 2 bytes") << DataTypes::TInteger << 2 << QJsonValue(-2) << QByteArray("feff");
    QTest::newRow("integer 255 in 1 byte") << DataTypes::TInteger << 1 << QJsonValue(255) << QByteArray("ff");
    QTest::newRow("integer -1 in 8 bytes")
        << DataTypes::TInteger << 8 << QJsonValue(-1) << QByteArray("ffffffffffffffff");
    QTest::newRow("unsigned 0x1234") << DataTypes::TUinteger << 4 << QJsonValue("0x1234") << QByteArray("34120000");
    QTest::newRow("unsigned 8 bytes") << DataTypes::TUinteger << 8 << QJsonValue(1000000)
                                      << QByteArray("40420f0000000000");
    QTest::newRow("bit field") << DataTypes::TBitfield << 2 << QJsonValue("0b100000001") << QByteArray("0101");
    QTest::newRow("hex array") << DataTypes::THexArray << 3 << QJsonValue("0a 1b 2C") << QByteArray("0a1b2c");
    QTest::newRow("inverted hex array") << DataTypes::TInvertedHexArray << 3 << QJsonValue("0A1B2C")
                                        << QByteArray("2c1b0a");
    QTest::newRow("string padded") << DataTypes::TString << 6 << QJsonValue("Ab") << QByteArray("416200000000");
    QTest::newRow("string of multi-byte characters")
        << DataTypes::TString << 4 << QJsonValue(QStringLiteral("м³")) << QByteArray("d0bcc2b3");
    QTest::newRow("enum by text") << DataTypes::TEnum << 1 << QJsonValue("On") << QByteArray("02");
    QTest::newRow("enum by hidden text") << DataTypes::TEnum << 1 << QJsonValue("#Service") << QByteArray("01");
    QTest::newRow("enum by index") << DataTypes::TEnum << 2 << QJsonValue(2) << QByteArray("0200");
    QTest::newRow("binary true") << DataTypes::TBinary << 1 << QJsonValue(true) << QByteArray("01");
    QTest::newRow("binary -1") << DataTypes::TBinary << 1 << QJsonValue(-1) << QByteArray("ff");
    QTest::newRow("unix time text") << DataTypes::TUnixtime << 4 << QJsonValue("2024-06-01T12:00:00Z")
                                    << QByteArray("400d5b66");
    QTest::newRow("unix time number") << DataTypes::TUnixtime << 4 << QJsonValue(1717243200) << QByteArray("400d5b66");
    QTest::newRow("absent") << DataTypes::TUinteger << 3 << QJsonValue(QJsonValue::Undefined) << QByteArray("000000");
    QTest::newRow("no data") << DataTypes::TNoData << 0 << QJsonValue(QJsonValue::Undefined) << QByteArray();
}

void TestDefinitions::valueEncoding()
{
    QFETCH(DataTypes, type);
    QFETCH(int, size);
    QFETCH(QJsonValue, value);
    QFETCH(QByteArray, bytes);
    QByteArray encoded;
    QString error;
    QVERIFY2(
        ValueCodec::encode(value, element(type, size, { "Off", "#Service", "On" }), encoded, error), qPrintable(error));
    QCOMPARE(encoded.toHex(), bytes);
}

void TestDefinitions::valueRefusals_data()
{
    QTest::addColumn<DataTypes>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QJsonValue>("value");
    QTest::newRow("integer 256 in 1 byte") << DataTypes::TInteger << 1 << QJsonValue(256);
    QTest::newRow("integer -129 in 1 byte") << DataTypes::TInteger << 1 << QJsonValue(-129);
    QTest::newRow("negative unsigned") << DataTypes::TUinteger << 2 << QJsonValue(-1);
    QTest::newRow("fraction") << DataTypes::TUinteger << 2 << QJsonValue(1.5);
    QTest::newRow("text for a number") << DataTypes::TUinteger << 2 << QJsonValue("ten");
    QTest::newRow("short hex") << DataTypes::THexArray << 3 << QJsonValue("0a1b");
    QTest::newRow("odd hex") << DataTypes::THexArray << 2 << QJsonValue("0a1");
    QTest::newRow("string too long") << DataTypes::TString << 4 << QJsonValue("Vorlex");
    QTest::newRow("string with multi-byte overflow") << DataTypes::TString << 3 << QJsonValue(QStringLiteral("м³"));
    QTest::newRow("enum text missing") << DataTypes::TEnum << 1 << QJsonValue("Auto");
    QTest::newRow("enum index beyond") << DataTypes::TEnum << 1 << QJsonValue(3);
    QTest::newRow("binary 128") << DataTypes::TBinary << 1 << QJsonValue(128);
    QTest::newRow("bad date") << DataTypes::TUnixtime << 4 << QJsonValue("2024-13-01T00:00:00Z");
    QTest::newRow("value for no data") << DataTypes::TNoData << 0 << QJsonValue(1);
}

void TestDefinitions::valueRefusals()
{
    QFETCH(DataTypes, type);
    QFETCH(int, size);
    QFETCH(QJsonValue, value);
    QByteArray encoded;
    QString error;
    QVERIFY(!ValueCodec::encode(value, element(type, size, { "Off", "#Service", "On" }), encoded, error));
    QVERIFY(!error.isEmpty());
}

void TestDefinitions::schemaRefusals_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("error");
    const QJsonValue remove(QJsonValue::Undefined);
    QTest::newRow("missing serial") << "serial" << remove << "serial: missing";
    QTest::newRow("serial 0") << "serial" << QJsonValue(0) << "serial: 0 is outside";
    QTest::newRow("misspelt key") << "profile.0.nameEN" << QJsonValue("x") << "profile[0].nameEN: unknown key";
    QTest::newRow("unknown data type") << "profile.0.dataType" << QJsonValue("TFloat")
                                       << "profile[0].dataType: unknown value \"TFloat\"";
    QTest::newRow("size missing") << "profile.0.dataSize" << remove << "profile[0].dataSize: missing";
    QTest::newRow("value too big") << "profile.0.value" << QJsonValue(70000) << "profile[0].value: 70000 does not fit";
    QTest::newRow("name with star") << "profile.0.nameEn" << QJsonValue("A*B") << "profile[0].nameEn:";
    QTest::newRow("stored value beyond 255 bytes")
        << "profile.0.dataSize" << QJsonValue(256) << "profile[0].dataSize: a stored value holds at most 255 bytes";
    QTest::newRow("value of a command") << "profile.0.type" << QJsonValue("SlaveCommand") << "profile[0].value:";
    QTest::newRow("drift of a setting") << "profile.0.drift"
                                        << QJsonValue(QJsonObject { { "step", 1 }, { "min", 0 }, { "max", 9 } })
                                        << "profile[0].drift: only integer state values drift";
    QTest::newRow("password too long") << "rootPassword" << QJsonValue("12345") << "rootPassword:";
    QTest::newRow("user password equals root") << "userPassword" << QJsonValue("1111") << "userPassword:";
    QTest::newRow("bad address") << "address" << QJsonValue("C4-7F-51-00-00-77") << "address:";
    QTest::newRow("interval off the grid")
        << "link" << QJsonValue(QJsonObject { { "connectionIntervalMs", 11 } }) << "link.connectionIntervalMs:";
    QTest::newRow("MTU below default") << "link" << QJsonValue(QJsonObject { { "attMtu", 20 } }) << "link.attMtu:";
    QTest::newRow("version out of range") << "firmwareVersion" << QJsonValue("16.0") << "firmwareVersion:";
    QTest::newRow("application as bootloader")
        << "bootloader" << QJsonValue(QJsonObject { { "appType", "Application" } }) << "bootloader.appType:";
    QTest::newRow("file name beyond 20 bytes")
        << "files"
        << QJsonValue(QJsonArray { QJsonObject { { "fileId", 9 }, { "name", "a_very_long_file_name.bin" } } })
        << "files[0].name: longer than 20 bytes";
    QTest::newRow("content of a generated file")
        << "files"
        << QJsonValue(QJsonArray {
               QJsonObject { { "fileId", 2 }, { "name", "s" }, { "content", QJsonObject { { "text", "x" } } } } })
        << "files[0].content: the device generates file 2";
    QTest::newRow("content beyond maxSize")
        << "files"
        << QJsonValue(QJsonArray { QJsonObject {
               { "fileId", 9 }, { "name", "s" }, { "maxSize", 2 }, { "content", QJsonObject { { "text", "xyz" } } } } })
        << "files[0].maxSize: smaller than the content";
    QTest::newRow("command sets unknown value")
        << "commands"
        << QJsonValue(QJsonArray {
               QJsonObject { { "id", 9 }, { "set", QJsonArray { QJsonObject { { "id", 6 }, { "value", 1 } } } } } })
        << "commands[0].set[0].id: no stored value";
    QTest::newRow("start mode") << "startMode" << QJsonValue("standby") << "startMode:";
}

void TestDefinitions::schemaRefusals()
{
    QFETCH(QString, path);
    QFETCH(QJsonValue, value);
    QFETCH(QString, error);
    QJsonObject json = minimal();
    DeviceDefinition definition;
    QString message;
    QCOMPARE(DefinitionReader::fromJson(json, definition, message), ReturnCode::Ok);
    json = changed(json, path.split(QLatin1Char('.')), value).toObject();
    QCOMPARE(DefinitionReader::fromJson(json, definition, message), ReturnCode::ErrArgumentBadValue);
    QVERIFY2(message.startsWith(error), qPrintable(message));
}

void TestDefinitions::defaults()
{
    DeviceDefinition definition;
    QString error;
    QCOMPARE(DefinitionReader::fromJson(minimal(), definition, error), ReturnCode::Ok);
    QCOMPARE(definition.maxAuthFailures, 3);
    QCOMPARE(definition.link, LinkModel());
    QCOMPARE(definition.application.appType, TAppType::Application);
    QCOMPARE(definition.application.maxPacketSize, quint16(244));
    QCOMPARE(definition.bootloader.appType, TAppType::Bootloader);
    QCOMPARE(definition.bootloader.name, QStringLiteral("Mini BL"));
    QCOMPARE(definition.bootloader.version, (TFirmwareVersion { 1, 0 }));
    const TSlaveProfile::Element &level = definition.application.profile.first().element;
    QCOMPARE(level.nameRu, QStringLiteral("Level"));
    QCOMPARE(level.multiplier, 1);
    QCOMPARE(level.editable, Editables::NotEditable);
    QCOMPARE(level.enumValues, QStringList { QString() }); // what an empty list reads back as
    QCOMPARE(definition.application.profile.first().value, QByteArray::fromHex("0300"));

    // Structured files get default entries; the file table lists only what the definition lists.
    DeviceEngine engine(definition);
    QCOMPARE(engine.fileImage(8), TFileTable().toByteArray());
    QVERIFY(!engine.fileImage(2).isEmpty());
}

void TestDefinitions::otherApplicationTypes()
{
    QJsonObject json = minimal();
    json[QStringLiteral("appType")] = QStringLiteral("Dravik");
    json[QStringLiteral("bootloader")] = QJsonObject { { "appType", "BootloaderV2" }, { "maxPacketSize", 128 } };
    DeviceDefinition definition;
    QString error;
    QCOMPARE(DefinitionReader::fromJson(json, definition, error), ReturnCode::Ok);
    DeviceEngine engine(definition);
    ProtocolMaster master(engine);
    TAuthResponse response;
    QCOMPARE(master.authenticate(definition.rootPassword, response), ReturnCode::Ok);
    QCOMPARE(response.appType, TAppType::Dravik);
    TCommandConfirm confirm;
    QCOMPARE(master.command(DeviceEngine::kRestartIntoBootloaderCommand, QByteArray(), confirm), ReturnCode::Ok);
    QCOMPARE(master.authenticate(definition.rootPassword, response), ReturnCode::Ok);
    QCOMPARE(response.appType, TAppType::BootloaderV2);
    QCOMPARE(response.maxPacketSize, quint16(128));
    QCOMPARE(quint8(engine.advertisement().manufacturerData.at(9)), quint8(TAppType::BootloaderV2));
}

void TestDefinitions::catalogOfAFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    DeviceCatalog catalog;
    QCOMPARE(catalog.loadFolder(dir.path()), ReturnCode::ErrArgumentBadValue);
    QVERIFY(catalog.errors().first().contains(QLatin1String("no device definitions")));

    QJsonObject twin = minimal();
    twin[QStringLiteral("id")] = QStringLiteral("twin");
    twin[QStringLiteral("address")] = QStringLiteral("C4:7F:51:00:00:78");
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a.json")), minimal()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("b.json")), twin)); // same serial number
    QFile broken(dir.filePath(QStringLiteral("c.json")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("{ \"id\": ");
    broken.close();
    QCOMPARE(catalog.loadFolder(dir.path()), ReturnCode::ErrArgumentBadValue);
    QCOMPARE(catalog.definitions().size(), 1);
    QCOMPARE(catalog.definitions().first().id, QStringLiteral("mini"));
    QCOMPARE(catalog.definitions().first().sourcePath, dir.filePath(QStringLiteral("a.json")));
    QCOMPARE(catalog.errors().size(), 2);
    QVERIFY(catalog.errors().at(0).contains(QLatin1String("already used")));
    QVERIFY(catalog.errors().at(1).contains(QLatin1String("not a JSON object")));
}

QTEST_GUILESS_MAIN(TestDefinitions)
#include "tst_definitions.moc"
