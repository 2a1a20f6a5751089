// Every message of the catalogue: its topic, its meta-type, its debug form, and its delivery through
// a running bus to a handler slot declared with the message's alias type.
#include "event_bus/bus_manager.h"
#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"
#include "event_topics/messages/message_meta_types.h"
#include "testing/log_capture.h"

#include <QBluetoothAddress>
#include <QJsonDocument>
#include <QtTest>

#include <functional>

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace vp = event_topics::v_protocol;
namespace sy = event_topics::system;
using device_manager::TrStrings;
using event_topics::IMessage;
using event_topics::PMessage;

using Factory = std::function<IMessage *()>;
// Shares a message built by the row's factory under its own shared-pointer type, inside a QVariant.
using Wrapper = std::function<QVariant(IMessage *)>;
Q_DECLARE_METATYPE(Factory)
Q_DECLARE_METATYPE(Wrapper)

namespace {

constexpr int kWait = 30000;

// Subscribes to whatever it is asked and keeps every message its handlers receive.
class Receiver : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    QList<PMessage> received;

public slots:
    void onCmdConnectToDevice(dm::CmdConnectToDeviceMessage message) { received << message; }
    void onCmdConnectToDeviceInternal(dm::CmdConnectToDeviceInternalMessage message) { received << message; }
    void onCmdDisconnectFromDevice(dm::CmdDisconnectFromDeviceMessage message) { received << message; }
    void onDeviceAuthFailed(dm::DeviceAuthFailedMessage message) { received << message; }
    void onDeviceAuthSuccessed(dm::DeviceAuthSuccessedMessage message) { received << message; }
    void onDeviceCreated(dm::DeviceCreatedMessage message) { received << message; }
    void onDeviceDisconnected(dm::DeviceDisconnectedMessage message) { received << message; }
    void onDeviceDiscoveredInternal(dm::DeviceDiscoveredInternalMessage message) { received << message; }
    void onDeviceManagerCmdStartDiscovery(dm::DeviceManagerCmdStartDiscoveryMessage message) { received << message; }
    void onDeviceManagerDeviceDiscovered(dm::DeviceManagerDeviceDiscoveredMessage message) { received << message; }
    void onDeviceRoutineProgressText(dm::DeviceRoutineProgressTextMessage message) { received << message; }
    void onCmdCloseInterface(im::CmdCloseInterfaceMessage message) { received << message; }
    void onCmdCreateBleInterface(im::CmdCreateBleInterfaceMessage message) { received << message; }
    void onCmdSendPacket(im::CmdSendPacketMessage message) { received << message; }
    void onDeviceInterfaceCreated(im::DeviceInterfaceCreatedMessage message) { received << message; }
    void onDeviceInterfaceParameterChanged(im::DeviceInterfaceParameterChangedMessage message) { received << message; }
    void onDeviceInterfacePluggetOut(im::DeviceInterfacePluggetOutMessage message) { received << message; }
    void onPacketReceived(im::PacketReceivedMessage message) { received << message; }
    void onApplicationInfoFileReceived(vp::ApplicationInfoFileReceivedMessage message) { received << message; }
    void onCmdDebugRequsted(vp::CmdDebugRequstedMessage message) { received << message; }
    void onCmdFileClear(vp::CmdFileClearMessage message) { received << message; }
    void onCmdFileRequested(vp::CmdFileRequestedMessage message) { received << message; }
    void onCmdGetFileName(vp::CmdGetFileNameMessage message) { received << message; }
    void onCmdGetRawFile(vp::CmdGetRawFileMessage message) { received << message; }
    void onCmdSendCommand(vp::CmdSendCommandMessage message) { received << message; }
    void onCmdSendRawFile(vp::CmdSendRawFileMessage message) { received << message; }
    void onCmdToSendFileWithDataElements(vp::CmdToSendFileWithDataElementsMessage message) { received << message; }
    void onCommandConfirmReceived(vp::CommandConfirmReceivedMessage message) { received << message; }
    void onDebugResponseReceived(vp::DebugResponseReceivedMessage message) { received << message; }
    void onFileClearDone(vp::FileClearDoneMessage message) { received << message; }
    void onFileNameReceived(vp::FileNameReceivedMessage message) { received << message; }
    void onFileTableReceived(vp::FileTableReceivedMessage message) { received << message; }
    void onFileWithDataElementsReceived(vp::FileWithDataElementsReceivedMessage message) { received << message; }
    void onFileWithDataElementsTransmitted(vp::FileWithDataElementsTransmittedMessage message) { received << message; }
    void onRawFileReceived(vp::RawFileReceivedMessage message) { received << message; }
    void onRawFileTransmitted(vp::RawFileTransmittedMessage message) { received << message; }
    void onSlaveProfileReceived(vp::SlaveProfileReceivedMessage message) { received << message; }
    void onDebugHappend(sy::DebugHappendMessage message) { received << message; }
    void onErrorHappend(sy::ErrorHappendMessage message) { received << message; }
};

// Sample field values, and the debug JSON of those that appear nested in a message's debug form.
const device_manager::DeviceEntry kEntry { 7 };
const char *const kEntryJson = R"({"serial":7})";

const device_manager::DeviceInterfaceInfo kInterface { device_manager::InterfaceType::BLE, "{5e0c}", 185 };
const char *const kInterfaceJson = R"({"type":"BLE","uuid":"{5e0c}","maximumPacketSize":185})";

device_manager::DeviceDiscoveryInfo sampleDevice()
{
    device_manager::DeviceDiscoveryInfo device;
    device.interfaceInfo = kInterface;
    device.deviceInfo.Name = QStringLiteral("Sensor");
    device.deviceInfo.Serial = 7;
    return device;
}
const char *const kDeviceJson = R"({"interfaceInfo":INTERFACE,"deviceInfo":{"ModelId":0,"HardwareVersion":0,)"
                                R"("FirmwareVersion":"0:0","Name":"Sensor","AuthResult":4,"AppType":1,)"
                                R"("MaxSizePacket":0,"Serial":7,"Pass":""}})";

const v_protocol::TPacket kPacket = v_protocol::TPacket::makeRequest(QByteArray(1, char(8)), 1, 7, 0x42);
const char *const kPacketJson
    = R"({"packetHead":{"size":15,"type":"v_protocol::TPacketType::Request","uid":"1",)"
      R"("slaveSerial":"7","masterUid":66},"payloadType":"v_protocol::TPayloadType::DebugRequest",)"
      R"("payloadData":"08","crc":0})";

v_protocol::TAuthResponse sampleAuthResponse()
{
    v_protocol::TAuthResponse response;
    response.authResult = v_protocol::TAuthResult::SuccessUser;
    response.maxPacketSize = 244;
    return response;
}
const char *const kAuthJson = R"({"payloadType":"v_protocol::TPayloadType::AuthenticationResponse",)"
                              R"("appType":"v_protocol::TAppType::Application",)"
                              R"("authResult":"v_protocol::TAuthResult::SuccessUser","maxPacketSize":244})";

v_protocol::TCommandRequest sampleCommand()
{
    v_protocol::TCommandRequest request;
    request.cmdId = 5;
    request.cmdData = QByteArray::fromHex("0102");
    return request;
}

v_protocol::TCommandConfirm sampleConfirm()
{
    v_protocol::TCommandConfirm confirm;
    confirm.cmdId = 5;
    confirm.cmdRes = v_protocol::TCommandResult::Success;
    return confirm;
}

v_protocol::TFileWithDataElements sampleElements()
{
    v_protocol::TFileWithDataElements file;
    file.fileId = 2;
    file.elements.append({ 2, 10, QByteArray("ab") });
    return file;
}

v_protocol::TSlaveProfile sampleProfile()
{
    v_protocol::TSlaveProfile profile;
    profile.elements.append(v_protocol::TSlaveProfile::Element());
    return profile;
}

QJsonObject parse(QByteArray json)
{
    json.replace("ENTRY", kEntryJson).replace("DEVICE", kDeviceJson).replace("INTERFACE", kInterfaceJson);
    json.replace("PACKET", kPacketJson).replace("AUTH", kAuthJson);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("Bad expected JSON in the test table: %s", json.constData());
    return document.object();
}

// One row: the message class M (its namespace and name as the catalogue names them), a factory
// building it from the sample values, and its expected debug form.
template<class M, class... Args> void row(const char *area, const char *name, const char *json, Args... args)
{
    QTest::newRow(name) << Factory([args...]() -> IMessage * { return new M(args...); }) << Wrapper([](IMessage *m) {
        return QVariant::fromValue(QSharedPointer<M>(static_cast<M *>(m)));
    }) << QString(area) << QString(name)
                        << M::topic() << QString(QMetaType::fromType<QSharedPointer<M>>().name()) << parse(json);
}

} // namespace

class TestMessageCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void metaTypes_data() { catalogue(); }
    void metaTypes();
    void valueMetaTypes_data();
    void valueMetaTypes();
    void topics_data() { catalogue(); }
    void topics();
    void debugForm_data() { catalogue(); }
    void debugForm();
    void delivery_data() { catalogue(); }
    void delivery();

    void authOutcomesStayApart();
    void errorHappendForms_data();
    void errorHappendForms();
    void valuesOutsideTheirEnumerations();
    void bleInterfaceWithoutUuid_data();
    void bleInterfaceWithoutUuid();

private:
    static void catalogue();
};

void TestMessageCatalogue::catalogue()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<Wrapper>("wrap");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("name");
    QTest::addColumn<event_topics::TopicEntry>("topic");
    QTest::addColumn<QString>("metaTypeName");
    QTest::addColumn<QJsonObject>("json");

    const auto device = sampleDevice();
    const auto auth = sampleAuthResponse();
    const auto maximumPacketSize
        = device_manager::ChangedInterfaceParameters(device_manager::InterfaceParameterFlag::MaximumPacketSize);
    const auto settingsFile = v_protocol::TMandatoryFileTypes::SettingsFile;
    const auto stateFile = v_protocol::TMandatoryFileTypes::StateFile;
    const quint8 fileId = 12;
    const bool yes = true;
    const bool no = false;
    v_protocol::TApplicationInfoFile applicationInfo;
    applicationInfo.Name = QStringLiteral("App");
    const v_protocol::TFileNameResponse fileName { v_protocol::TPayloadType::FileNameResponse, 9, "log.txt" };
    v_protocol::TDebugResponse debugResponse;
    debugResponse.debugData = "secret";
    debugResponse.dataSize = 6;

    row<dm::CmdConnectToDevice>("device_manager", "CmdConnectToDevice", R"({"device":DEVICE})", device);
    row<dm::CmdConnectToDeviceInternal>("device_manager", "CmdConnectToDeviceInternal", R"({"device":DEVICE})", device);
    row<dm::CmdDisconnectFromDevice>("device_manager", "CmdDisconnectFromDevice",
        R"({"deviceEntry":ENTRY,"interfaceInfo":INTERFACE})", kEntry, kInterface);
    row<dm::DeviceAuthFailed>(
        "device_manager", "DeviceAuthFailed", R"({"deviceEntry":ENTRY,"authResponse":AUTH})", kEntry, auth);
    row<dm::DeviceAuthSuccessed>(
        "device_manager", "DeviceAuthSuccessed", R"({"deviceEntry":ENTRY,"authResponse":AUTH})", kEntry, auth);
    row<dm::DeviceCreated>("device_manager", "DeviceCreated", R"({"device":DEVICE})", device);
    row<dm::DeviceDisconnected>("device_manager", "DeviceDisconnected", R"({"device":ENTRY})", kEntry);
    row<dm::DeviceDiscoveredInternal>(
        "device_manager", "DeviceDiscoveredInternal", R"({"discoveredDevice":DEVICE})", device);
    row<dm::DeviceManagerCmdStartDiscovery>("device_manager", "DeviceManagerCmdStartDiscovery",
        R"({"discoveryStatus":{"bleDiscovering":"Active"}})",
        device_manager::DiscoveryStatus { device_manager::DiscoveryState::Active });
    row<dm::DeviceManagerDeviceDiscovered>(
        "device_manager", "DeviceManagerDeviceDiscovered", R"({"discoveredDevice":DEVICE})", device);
    row<dm::DeviceRoutineProgressText>("device_manager", "DeviceRoutineProgressText",
        R"({"deviceEntry":ENTRY,"title":"","titleIndex":8,"percentage":40})", kEntry, TrStrings::ReadingFile, 40);

    row<im::CmdCloseInterface>("interface_manager", "CmdCloseInterface", R"({"interfaceInfo":INTERFACE})", kInterface);
    row<im::CmdCreateBleInterface>("interface_manager", "CmdCreateBleInterface",
        R"({"interfaceInfo":INTERFACE,"bluetoothInfo":"complex_value"})", kInterface,
        QBluetoothDeviceInfo(QBluetoothAddress(QStringLiteral("01:02:03:04:05:06")), QStringLiteral("Sensor"), 0));
    row<im::CmdSendPacket>("interface_manager", "CmdSendPacket",
        R"({"deviceEntry":ENTRY,"interfaceInfo":INTERFACE,"packet":PACKET})", kEntry, kInterface, kPacket);
    row<im::DeviceInterfaceCreated>(
        "interface_manager", "DeviceInterfaceCreated", R"({"interfaceInfo":INTERFACE})", kInterface);
    row<im::DeviceInterfaceParameterChanged>("interface_manager", "DeviceInterfaceParameterChanged",
        R"({"interfaceInfo":INTERFACE,"changedParameters":"InterfaceParameter:  MaximumPacketSize[TRUE]"})", kInterface,
        maximumPacketSize);
    row<im::DeviceInterfacePluggetOut>(
        "interface_manager", "DeviceInterfacePluggetOut", R"({"interfaceInfo":INTERFACE})", kInterface);
    row<im::PacketReceived>("interface_manager", "PacketReceived",
        R"({"deviceEntry":ENTRY,"interfaceInfo":INTERFACE,"packet":PACKET})", kEntry, kInterface, kPacket);

    row<vp::ApplicationInfoFileReceived>("v_protocol", "ApplicationInfoFileReceived",
        R"({"deviceEntry":ENTRY,"file":"ApplicationInfoFile","isValid":true})", kEntry, applicationInfo, yes);
    row<vp::CmdDebugRequsted>("v_protocol", "CmdDebugRequsted", R"({"deviceEntry":ENTRY,"forced":true})", kEntry, yes);
    row<vp::CmdFileClear>("v_protocol", "CmdFileClear", R"({"deviceEntry":ENTRY,"fileId":12})", kEntry, fileId);
    row<vp::CmdFileRequested>("v_protocol", "CmdFileRequested",
        R"({"deviceEntry":ENTRY,"fileType":"v_protocol::TMandatoryFileTypes::SettingsFile"})", kEntry, settingsFile);
    row<vp::CmdGetFileName>("v_protocol", "CmdGetFileName", R"({"deviceEntry":ENTRY,"fileId":12})", kEntry, fileId);
    row<vp::CmdGetRawFile>("v_protocol", "CmdGetRawFile", R"({"deviceEntry":ENTRY,"fileId":12})", kEntry, fileId, yes);
    row<vp::CmdSendCommand>("v_protocol", "CmdSendCommand",
        R"({"deviceEntry":ENTRY,"commandRequest":{"payloadType":"v_protocol::TPayloadType::CommandRequest",)"
        R"("cmdId":5,"cmdData":"01 02"}})",
        kEntry, sampleCommand());
    row<vp::CmdSendRawFile>("v_protocol", "CmdSendRawFile",
        R"({"deviceEntry":ENTRY,"fileId":12,"file":"RAW data size[300]"})", kEntry, fileId, QByteArray(300, 'x'));
    row<vp::CmdToSendFileWithDataElements>("v_protocol", "CmdToSendFileWithDataElements",
        R"({"deviceEntry":ENTRY,"fileType":"v_protocol::TMandatoryFileTypes::SettingsFile",)"
        R"("file":"FileWithDataElements"})",
        kEntry, settingsFile, sampleElements());
    row<vp::CommandConfirmReceived>("v_protocol", "CommandConfirmReceived",
        R"({"deviceEntry":ENTRY,"commandConfirm":{"payloadType":"v_protocol::TPayloadType::CommandConfirmation",)"
        R"("cmdId":5,"cmdRes":"v_protocol::TCommandResult::Success"},"isValid":true})",
        kEntry, sampleConfirm(), yes);
    row<vp::DebugResponseReceived>(
        "v_protocol", "DebugResponseReceived", R"({"deviceEntry":ENTRY,"isValid":false})", kEntry, debugResponse, no);
    row<vp::FileClearDone>(
        "v_protocol", "FileClearDone", R"({"deviceEntry":ENTRY,"fileId":12,"isValid":true})", kEntry, fileId, yes);
    row<vp::FileNameReceived>("v_protocol", "FileNameReceived",
        R"({"deviceEntry":ENTRY,"fileId":9,"fileName":"log.txt","isValid":true})", kEntry, fileName, yes);
    row<vp::FileTableReceived>("v_protocol", "FileTableReceived",
        R"({"deviceEntry":ENTRY,"file":{"elements":[],"crc":0},"isValid":false})", kEntry, v_protocol::TFileTable(),
        no);
    row<vp::FileWithDataElementsReceived>("v_protocol", "FileWithDataElementsReceived",
        R"({"deviceEntry":ENTRY,"fileType":"v_protocol::TMandatoryFileTypes::StateFile",)"
        R"("file":"FileWithDataElements","isValid":true})",
        kEntry, stateFile, sampleElements(), yes);
    row<vp::FileWithDataElementsTransmitted>("v_protocol", "FileWithDataElementsTransmitted",
        R"({"deviceEntry":ENTRY,"fileType":"v_protocol::TMandatoryFileTypes::SettingsFile","isValid":false})", kEntry,
        settingsFile, no);
    row<vp::RawFileReceived>("v_protocol", "RawFileReceived",
        R"({"deviceEntry":ENTRY,"fileId":12,"file":"RAW data 5 bytes","isValid":true})", kEntry, fileId,
        QByteArray("12345"), yes);
    row<vp::RawFileTransmitted>(
        "v_protocol", "RawFileTransmitted", R"({"deviceEntry":ENTRY,"fileId":12,"isValid":true})", kEntry, fileId, yes);
    row<vp::SlaveProfileReceived>("v_protocol", "SlaveProfileReceived",
        R"({"deviceEntry":ENTRY,"file":"SlaveProfile","isValid":true})", kEntry, sampleProfile(), yes);

    row<sy::DebugHappend>("system", "DebugHappend",
        R"({"submoduleId":"SubmoduleIds::DeviceManager","title":"Scanner","text":"started"})",
        SubmoduleIds::DeviceManager, QString("Scanner"), QString("started"));
    row<sy::ErrorHappend>("system", "ErrorHappend", R"({"submoduleId":"SubmoduleIds::Gui","title":"T","text":"X"})",
        SubmoduleIds::Gui, QString("T"), QString("X"));
}

void TestMessageCatalogue::initTestCase()
{
    // Nothing knows the messages' meta-types by name before start-up registers them.
    const QByteArray name = QMetaType::fromType<vp::FileClearDoneMessage>().name();
    QCOMPARE(name, QByteArray("QSharedPointer<event_topics::v_protocol::FileClearDone>"));
    QVERIFY(!QMetaType::fromName(name).isValid());
    event_topics::registerMessageMetaTypes();
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
}

void TestMessageCatalogue::cleanupTestCase()
{
    event_bus::BusManager::destroyInstance();
}

void TestMessageCatalogue::metaTypes()
{
    QFETCH(Factory, factory);
    QFETCH(QString, area);
    QFETCH(QString, name);
    QFETCH(QString, metaTypeName);
    // Registered under the full name, so that queued calls and QVariant can carry it by name.
    const QString fullName = QStringLiteral("QSharedPointer<event_topics::%1::%2>").arg(area, name);
    QCOMPARE(metaTypeName, fullName);
    const QMetaType type = QMetaType::fromName(fullName.toLatin1());
    QVERIFY(type.isValid());
    QCOMPARE(QByteArray(type.name()), fullName.toLatin1());

    // Convertible to QObject*: the very message object.
    QFETCH(Wrapper, wrap);
    IMessage *message = factory();
    const QVariant variant = wrap(message);
    QCOMPARE(variant.metaType(), type);
    QVERIFY(variant.canConvert<QObject *>());
    QCOMPARE(variant.value<QObject *>(), static_cast<QObject *>(message));
}

void TestMessageCatalogue::valueMetaTypes_data()
{
    QTest::addColumn<QByteArray>("name");
    // What the modules' queued signals carry, by the names their signatures use.
    for (const char *name : { "device_manager::DeviceEntry", "device_manager::DeviceInterfaceInfo",
             "device_manager::DeviceDiscoveryInfo", "device_manager::TrStrings", "device_manager::DiscoveryStatus",
             "device_manager::ChangedInterfaceParameters", "QFlags<device_manager::InterfaceParameterFlag>",
             "SubmoduleIds", "v_protocol::TPacket", "v_protocol::TAuthResponse", "v_protocol::TSlaveApplication",
             "v_protocol::TFileTable", "v_protocol::TSlaveProfile", "v_protocol::TFileWithDataElements" })
        QTest::newRow(name) << QByteArray(name);
}

void TestMessageCatalogue::valueMetaTypes()
{
    QFETCH(QByteArray, name);
    QVERIFY(QMetaType::fromName(name).isValid());
}

void TestMessageCatalogue::topics()
{
    QFETCH(Factory, factory);
    QFETCH(QString, name);
    QFETCH(event_topics::TopicEntry, topic);
    const bool system = name == QLatin1String("DebugHappend") || name == QLatin1String("ErrorHappend");
    QCOMPARE(topic.category(), system ? event_topics::System : event_topics::Device);
    QCOMPARE(topic.name(), name);
    QVERIFY(topic.isValid());
    const std::unique_ptr<IMessage> message(factory());
    QCOMPARE(message->getTopicEntry(), topic);
    QCOMPARE(message->getTopicEntry().key(), topic.key());
}

void TestMessageCatalogue::debugForm()
{
    QFETCH(Factory, factory);
    QFETCH(QJsonObject, json);
    const std::unique_ptr<IMessage> message(factory());
    QCOMPARE(message->toJson(), json);
}

void TestMessageCatalogue::delivery()
{
    QFETCH(Factory, factory);
    QFETCH(QString, name);
    QFETCH(event_topics::TopicEntry, topic);
    vk_testing::LogCapture capture;
    Receiver receiver;
    QCOMPARE(receiver.subscribe(topic, QStringLiteral("on") + name), ReturnCode::Ok);
    QTRY_VERIFY_WITH_TIMEOUT(receiver.isSubscribed(topic), kWait);

    IMessage *message = factory();
    QCOMPARE(receiver.publish(message), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.received.size(), 1, kWait);
    // The published object itself, shared, not a copy.
    QCOMPARE(receiver.received.first().data(), message);
    QCOMPARE(capture.count(QStringLiteral("Invalid invokeMethod!")), 0);
    QCOMPARE(receiver.unsubscribeAll(), ReturnCode::Ok);
}

void TestMessageCatalogue::authOutcomesStayApart()
{
    // Same fields, same debug keys, different topics: a subscriber of one never gets the other.
    vk_testing::LogCapture capture;
    Receiver receiver;
    QCOMPARE(receiver.subscribe(dm::DeviceAuthFailed::topic(), QStringLiteral("onDeviceAuthFailed")), ReturnCode::Ok);
    QTRY_VERIFY_WITH_TIMEOUT(receiver.isSubscribed(dm::DeviceAuthFailed::topic()), kWait);

    QCOMPARE(receiver.publish(new dm::DeviceAuthSuccessed(kEntry, sampleAuthResponse())), ReturnCode::Ok);
    auto *failed = new dm::DeviceAuthFailed(kEntry, v_protocol::TAuthResponse());
    QCOMPARE(receiver.publish(failed), ReturnCode::Ok);
    // Both travel through the Device sub-bus in publication order: the success would arrive first.
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.received.isEmpty(), kWait);
    QCoreApplication::processEvents();
    QCOMPARE(receiver.received, QList<PMessage>({ receiver.received.first() }));
    QCOMPARE(receiver.received.first().data(), failed);
    QCOMPARE(capture.count(QStringLiteral("Invalid invokeMethod!")), 0);
    QCOMPARE(receiver.unsubscribeAll(), ReturnCode::Ok);
}

void TestMessageCatalogue::errorHappendForms_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<int>("titleIndex");
    QTest::addColumn<int>("textIndex");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QJsonObject>("json");
    const auto byIndex = [](TrStrings title, TrStrings text) {
        return Factory([=] { return new sy::ErrorHappend(SubmoduleIds::DeviceManager, title, text); });
    };
    const auto byText = [](const QString &title, const QString &text) {
        return Factory([=] { return new sy::ErrorHappend(SubmoduleIds::Gui, title, text); });
    };
    QTest::newRow("indexes") << byIndex(TrStrings::InvalidConnection, TrStrings::InternalError) << 0 << 2 << ""
                             << ""
                             << parse(R"({"submoduleId":"SubmoduleIds::DeviceManager","titleIndex":0,"textIndex":2})");
    QTest::newRow("text index only")
        << byIndex(TrStrings::NoIndex, TrStrings::DeviceIsNotSupported) << -1 << 17 << ""
        << "" << parse(R"({"submoduleId":"SubmoduleIds::DeviceManager","titleIndex":-1,"textIndex":17})");
    QTest::newRow("index without a text")
        << byIndex(TrStrings(40), TrStrings(41)) << 40 << 41 << ""
        << "" << parse(R"({"submoduleId":"SubmoduleIds::DeviceManager","titleIndex":40,"textIndex":41})");
    // Both indexes negative: the texts are shown, even when built from indexes.
    QTest::newRow("no index at all") << byIndex(TrStrings::NoIndex, TrStrings(-5)) << -1 << -5 << ""
                                     << ""
                                     << parse(R"({"submoduleId":"SubmoduleIds::DeviceManager","title":"","text":""})");
    QTest::newRow("texts")
        << byText("Firmware", "Server unreachable") << -1 << -1 << "Firmware"
        << "Server unreachable"
        << parse(R"({"submoduleId":"SubmoduleIds::Gui","title":"Firmware","text":"Server unreachable"})");
    QTest::newRow("empty texts") << byText("", "") << -1 << -1 << ""
                                 << "" << parse(R"({"submoduleId":"SubmoduleIds::Gui","title":"","text":""})");
}

void TestMessageCatalogue::errorHappendForms()
{
    QFETCH(Factory, factory);
    QFETCH(int, titleIndex);
    QFETCH(int, textIndex);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QJsonObject, json);
    const std::unique_ptr<IMessage> message(factory());
    const auto *error = static_cast<const sy::ErrorHappend *>(message.get());
    QCOMPARE(int(error->titleIndex), titleIndex);
    QCOMPARE(int(error->textIndex), textIndex);
    QCOMPARE(error->title, title);
    QCOMPARE(error->text, text);
    QCOMPARE(error->toJson(), json);
}

void TestMessageCatalogue::valuesOutsideTheirEnumerations()
{
    // Carried unchanged; their name texts are empty.
    const vp::CmdFileRequested request(kEntry, v_protocol::TMandatoryFileTypes(99));
    QCOMPARE(int(request.fileType), 99);
    QCOMPARE(request.toJson(), parse(R"({"deviceEntry":ENTRY,"fileType":""})"));

    const sy::DebugHappend debug(SubmoduleIds(7), QStringLiteral("t"), QStringLiteral("x"));
    QCOMPARE(int(debug.submoduleId), 7);
    QCOMPARE(debug.toJson(), parse(R"({"submoduleId":"","title":"t","text":"x"})"));
}

void TestMessageCatalogue::bleInterfaceWithoutUuid_data()
{
    QTest::addColumn<QString>("uuid");
    QTest::addColumn<int>("criticals");
    QTest::newRow("with uuid") << "{5e0c}" << 0;
    QTest::newRow("empty uuid") << "" << 1;
}

void TestMessageCatalogue::bleInterfaceWithoutUuid()
{
    QFETCH(QString, uuid);
    QFETCH(int, criticals);
    vk_testing::LogCapture capture;
    const device_manager::DeviceInterfaceInfo info { device_manager::InterfaceType::BLE, uuid, -1 };
    const im::CmdCreateBleInterface command(info, QBluetoothDeviceInfo());
    const auto entries = capture.entries();
    QCOMPARE(entries.size(), criticals);
    if (criticals) {
        QCOMPARE(entries.first().type, QtCriticalMsg);
        QCOMPARE(entries.first().text,
            QStringLiteral("In this case device_manager::DeviceInterfaceInfo.uuid mast be valid!"));
    }
    // Built all the same.
    QCOMPARE(command.interfaceInfo.uuid, uuid);
    QCOMPARE(command.getTopicEntry().key(), QStringLiteral("Device/CmdCreateBleInterface"));
}

QTEST_GUILESS_MAIN(TestMessageCatalogue)
#include "tst_message_catalogue.moc"
