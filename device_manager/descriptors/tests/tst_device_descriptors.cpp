// Debug and JSON forms, identity and hashing of the device descriptors.
#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/discovery_status.h"
#include "device_manager/descriptors/interface_parameter_flag.h"
#include "device_manager/descriptors/submodule_ids.h"

#include <QHash>
#include <QJsonDocument>
#include <QtTest>

using namespace device_manager;

namespace {

// The debug form alone: the stream adds no spaces of its own.
template<class T> QString debugForm(const T &value)
{
    QString text;
    QDebug(&text).nospace() << value;
    return text;
}

QByteArray compact(const QJsonObject &json)
{
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

DeviceInterfaceInfo ble(const QString &uuid, qint32 maximumPacketSize = -1)
{
    return { InterfaceType::BLE, uuid, maximumPacketSize };
}

} // namespace

class TestDeviceDescriptors : public QObject
{
    Q_OBJECT

private slots:
    void deviceEntryForms_data();
    void deviceEntryForms();
    void deviceEntryIdentity();
    void interfaceInfoForms_data();
    void interfaceInfoForms();
    void interfaceInfoIdentity_data();
    void interfaceInfoIdentity();
    void interfaceInfoKeysARegistry();
    void discoveryInfoForms();
    void changedParameters_data();
    void changedParameters();
    void nameTexts_data();
    void nameTexts();
    void discoveryStatusJson();
    void debugFormsRestoreTheStream();
};

void TestDeviceDescriptors::deviceEntryForms_data()
{
    QTest::addColumn<quint64>("serial");
    QTest::addColumn<QString>("debug");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("zero") << quint64(0) << "DeviceEntry[0]" << QByteArray(R"({"serial":0})");
    QTest::newRow("32-bit") << quint64(4294967295u) << "DeviceEntry[4294967295]"
                            << QByteArray(R"({"serial":4294967295})");
    // The debug form shows the 32 bits the wire carries; the JSON keeps the whole value.
    QTest::newRow("2^32") << (quint64(1) << 32) << "DeviceEntry[0]" << QByteArray(R"({"serial":4294967296})");
    QTest::newRow("2^32 + 7") << ((quint64(1) << 32) + 7) << "DeviceEntry[7]" << QByteArray(R"({"serial":4294967303})");
    // A JSON number is a double: exact up to 2^53 only.
    QTest::newRow("2^53 + 1") << ((quint64(1) << 53) + 1) << "DeviceEntry[1]"
                              << QByteArray(R"({"serial":9007199254740992})");
}

void TestDeviceDescriptors::deviceEntryForms()
{
    QFETCH(quint64, serial);
    QFETCH(QString, debug);
    QFETCH(QByteArray, json);
    const DeviceEntry entry { serial };
    QCOMPARE(debugForm(entry), debug);
    QCOMPARE(compact(entry.toJson()), json);
}

void TestDeviceDescriptors::deviceEntryIdentity()
{
    // Serials equal in their low 32 bits are still different devices.
    const DeviceEntry low { 7 };
    const DeviceEntry high { (quint64(1) << 32) + 7 };
    QVERIFY(low != high);
    QVERIFY(low == DeviceEntry { 7 });
    QCOMPARE(qHash(low, 11), qHash(DeviceEntry { 7 }, 11));

    QHash<DeviceEntry, int> sessions;
    sessions.insert(low, 1);
    sessions.insert(high, 2);
    QCOMPARE(sessions.size(), 2);
    QCOMPARE(sessions.value(DeviceEntry { 7 }), 1);
}

void TestDeviceDescriptors::interfaceInfoForms_data()
{
    QTest::addColumn<qint32>("type");
    QTest::addColumn<QString>("uuid");
    QTest::addColumn<QString>("debug");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("BLE") << 1 << "{5e0c}"
                         << R"(DeviceInterfaceInfo["BLE", uuid: "{5e0c}"])"
                         << QByteArray(R"({"maximumPacketSize":185,"type":"BLE","uuid":"{5e0c}"})");
    QTest::newRow("Unknown, no uuid") << 0 << ""
                                      << R"(DeviceInterfaceInfo["Unknown", uuid: ""])"
                                      << QByteArray(R"({"maximumPacketSize":185,"type":"Unknown","uuid":""})");
    QTest::newRow("type 7") << 7 << "a"
                            << R"(DeviceInterfaceInfo["", uuid: "a"])"
                            << QByteArray(R"({"maximumPacketSize":185,"type":"","uuid":"a"})");
    QTest::newRow("type -1") << -1 << "a"
                             << R"(DeviceInterfaceInfo["", uuid: "a"])"
                             << QByteArray(R"({"maximumPacketSize":185,"type":"","uuid":"a"})");
    // Text values are written as QDebug writes strings, quotes escaped.
    QTest::newRow("quote in uuid") << 1 << "x\"y"
                                   << R"(DeviceInterfaceInfo["BLE", uuid: "x\"y"])"
                                   << QByteArray(R"({"maximumPacketSize":185,"type":"BLE","uuid":"x\"y"})");
}

void TestDeviceDescriptors::interfaceInfoForms()
{
    QFETCH(qint32, type);
    QFETCH(QString, uuid);
    QFETCH(QString, debug);
    QFETCH(QByteArray, json);
    const DeviceInterfaceInfo info { InterfaceType(type), uuid, 185 };
    QCOMPARE(debugForm(info), debug);
    QCOMPARE(compact(info.toJson()), json);
}

void TestDeviceDescriptors::interfaceInfoIdentity_data()
{
    QTest::addColumn<DeviceInterfaceInfo>("a");
    QTest::addColumn<DeviceInterfaceInfo>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("packet size differs") << ble("{1}", 20) << ble("{1}", 185) << true;
    QTest::newRow("size unknown on one side") << ble("{1}", -1) << ble("{1}", 244) << true;
    QTest::newRow("uuid differs") << ble("{1}") << ble("{2}") << false;
    QTest::newRow("uuid case differs") << ble("{ab}") << ble("{AB}") << false;
    QTest::newRow("type differs") << ble("{1}") << DeviceInterfaceInfo { InterfaceType::Unknown, "{1}", -1 } << false;
}

void TestDeviceDescriptors::interfaceInfoIdentity()
{
    QFETCH(DeviceInterfaceInfo, a);
    QFETCH(DeviceInterfaceInfo, b);
    QFETCH(bool, same);
    QCOMPARE(a == b, same);
    QCOMPARE(a != b, !same);
    if (same)
        QCOMPARE(qHash(a, 3), qHash(b, 3));
}

void TestDeviceDescriptors::interfaceInfoKeysARegistry()
{
    // The interface registry finds an interface by a descriptor that carries a newer packet size.
    QHash<DeviceInterfaceInfo, QString> registry;
    registry.insert(ble("{1}", 0), QStringLiteral("first"));
    registry.insert(ble("{2}", 0), QStringLiteral("second"));
    registry.insert(ble("{1}", 244), QStringLiteral("again"));
    QCOMPARE(registry.size(), 2);
    QCOMPARE(registry.value(ble("{1}", 185)), QStringLiteral("again"));
    QVERIFY(!registry.contains(DeviceInterfaceInfo { InterfaceType::Unknown, "{2}", 0 }));
}

void TestDeviceDescriptors::discoveryInfoForms()
{
    DeviceDiscoveryInfo info;
    info.interfaceInfo = ble(QString());
    info.deviceInfo.Name = QStringLiteral("Sensor");
    info.deviceInfo.Serial = 123;
    QCOMPARE(debugForm(info),
        QStringLiteral(R"(DeviceDiscoveryInfo[DeviceInterfaceInfo["BLE", uuid: ""], )"
                       R"(TSlaveApplication[Sensor-123])"));

    const QJsonObject json = info.toJson();
    QCOMPARE(json.keys(), QStringList({ "deviceInfo", "interfaceInfo" }));
    QCOMPARE(compact(json.value("interfaceInfo").toObject()),
        QByteArray(R"({"maximumPacketSize":-1,"type":"BLE","uuid":""})"));
    QCOMPARE(json.value("deviceInfo").toObject().value("Name").toString(), QStringLiteral("Sensor"));
    QCOMPARE(json.value("deviceInfo").toObject().value("Serial").toDouble(), 123.0);

    // A measured signal strength joins both forms.
    DeviceDiscoveryInfo heard = info;
    heard.rssi = -67;
    QCOMPARE(debugForm(heard),
        QStringLiteral(R"(DeviceDiscoveryInfo[DeviceInterfaceInfo["BLE", uuid: ""], )"
                       R"(TSlaveApplication[Sensor-123], -67 dBm)"));
    QCOMPARE(heard.toJson().value("rssi").toInt(), -67);

    // Identity follows the interface's (packet size aside) and the device record, not the signal.
    DeviceDiscoveryInfo other = info;
    other.interfaceInfo.maximumPacketSize = 244;
    other.rssi = -90;
    QVERIFY(other == info);
    other.deviceInfo.Serial = 124;
    QVERIFY(other != info);
}

void TestDeviceDescriptors::changedParameters_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << "InterfaceParameter:  MaximumPacketSize[FALSE]";
    QTest::newRow("packet size") << 1 << "InterfaceParameter:  MaximumPacketSize[TRUE]";
    QTest::newRow("unknown flag only") << 4 << "InterfaceParameter:  MaximumPacketSize[FALSE]";
    QTest::newRow("unknown flag and packet size") << 5 << "InterfaceParameter:  MaximumPacketSize[TRUE]";
}

void TestDeviceDescriptors::changedParameters()
{
    QFETCH(int, flags);
    QFETCH(QString, text);
    const auto parameters = ChangedInterfaceParameters::fromInt(flags);
    QCOMPARE(toText(parameters), text);
    QCOMPARE(debugForm(parameters), text); // no quotes
}

void TestDeviceDescriptors::nameTexts_data()
{
    using TextOf = QString (*)(qint32);
    QTest::addColumn<TextOf>("textOf");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QString>("text");
    const TextOf type = [](qint32 value) { return toText(InterfaceType(value)); };
    const TextOf state = [](qint32 value) { return toText(DiscoveryState(value)); };
    const TextOf submodule = [](qint32 value) { return toText(SubmoduleIds(value)); };
    QTest::newRow("interface type 0") << type << 0 << "Unknown";
    QTest::newRow("interface type 1") << type << 1 << "BLE";
    QTest::newRow("interface type 2") << type << 2 << "";
    QTest::newRow("discovery state 0") << state << 0 << "Inactive";
    QTest::newRow("discovery state 1") << state << 1 << "Indifferent";
    QTest::newRow("discovery state 2") << state << 2 << "Active";
    QTest::newRow("discovery state 3") << state << 3 << "";
    QTest::newRow("discovery state -1") << state << -1 << "";
    QTest::newRow("submodule 0") << submodule << 0 << "SubmoduleIds::Unknown";
    QTest::newRow("submodule 1") << submodule << 1 << "SubmoduleIds::DeviceManager";
    QTest::newRow("submodule 2") << submodule << 2 << "SubmoduleIds::Gui";
    QTest::newRow("submodule 3") << submodule << 3 << "";
    QTest::newRow("submodule -1") << submodule << -1 << "";
}

void TestDeviceDescriptors::nameTexts()
{
    using TextOf = QString (*)(qint32);
    QFETCH(TextOf, textOf);
    QFETCH(qint32, value);
    QFETCH(QString, text);
    QCOMPARE(textOf(value), text);
}

void TestDeviceDescriptors::discoveryStatusJson()
{
    QCOMPARE(
        compact(DiscoveryStatus { DiscoveryState::Active }.toJson()), QByteArray(R"({"bleDiscovering":"Active"})"));
    QCOMPARE(compact(DiscoveryStatus { DiscoveryState(3) }.toJson()), QByteArray(R"({"bleDiscovering":""})"));
    // Left alone unless asked.
    QCOMPARE(DiscoveryStatus().bleDiscovering, DiscoveryState::Indifferent);
}

void TestDeviceDescriptors::debugFormsRestoreTheStream()
{
    // Each form switches automatic spaces off for its own pieces only.
    QString spaced;
    QDebug(&spaced) << DeviceEntry { 5 } << ble("{1}") << ChangedInterfaceParameters() << 1;
    QCOMPARE(spaced.trimmed(),
        QStringLiteral(R"(DeviceEntry[5] DeviceInterfaceInfo["BLE", uuid: "{1}"] )"
                       R"(InterfaceParameter:  MaximumPacketSize[FALSE] 1)"));

    QString packed;
    QDebug(&packed).nospace() << DeviceEntry { 5 } << 1;
    QCOMPARE(packed, QStringLiteral("DeviceEntry[5]1"));

    // A stream set to write strings without quotes still gets the quoted form.
    QString unquoted;
    QDebug(&unquoted).noquote().nospace() << ble("{1}") << QStringLiteral("x");
    QCOMPARE(unquoted, QStringLiteral(R"(DeviceInterfaceInfo["BLE", uuid: "{1}"]x)"));
}

QTEST_GUILESS_MAIN(TestDeviceDescriptors)
#include "tst_device_descriptors.moc"
