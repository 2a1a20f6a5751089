// vk-device-sim: answers request packets of the device protocol as a simulated device would.
//
// Standard input: one packet per line in hexadecimal (blank lines and lines starting with "#" are
// skipped). Standard output: each answer packet on a line of its own, lower-case hexadecimal,
// flushed at once; an empty line when the device drops the link (the next request connects it
// again). Nothing else is written to standard output in this mode; diagnostics go to standard error.
#include "simulator/definition_reader.h"
#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "simulator/hex_lines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

using namespace simulator;

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitLinkDropped = 3;

// The packet channel: standard output, written and flushed line by line.
void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void listDevices(const DeviceCatalog &catalog)
{
    for (const DeviceDefinition &definition : catalog.definitions()) {
        const SimulatedAdvertisement advertisement = definition.advertisement();
        writeOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                     .arg(definition.id)
                     .arg(definition.serial)
                     .arg(advertisement.name, advertisement.address)
                     .arg(advertisement.companyId, 4, 16, QLatin1Char('0'))
                     .arg(QString::fromLatin1(advertisement.manufacturerData.toHex()))
                     .arg(definition.startsInBootloader ? QStringLiteral("bootloader") : QStringLiteral("application"))
                     .arg(definition.description)
                     .toUtf8());
    }
}

void listFailures()
{
    for (FailureMode mode : allFailureModes()) {
        const FailureInjection failure = FailureInjection::of(mode);
        writeOut((failure.description() + QLatin1Char('\n')).toUtf8());
    }
}

bool payloadTypeFromText(const QString &text, v_protocol::TPayloadType &type)
{
    const QMetaEnum meta = QMetaEnum::fromType<v_protocol::TPayloadType>();
    bool ok = false;
    const int value = meta.keyToValue(text.toLatin1().constData(), &ok);
    if (ok)
        type = v_protocol::TPayloadType(value);
    return ok;
}

bool loadDefinition(const QCommandLineParser &parser, DeviceDefinition &definition, QString &error)
{
    const QString device = parser.value(QStringLiteral("device"));
    if (QFileInfo(device).isFile())
        return DefinitionReader::fromFile(device, definition, error) == ReturnCode::Ok;
    DeviceCatalog catalog;
    catalog.loadFolder(parser.isSet(QStringLiteral("folder")) ? parser.value(QStringLiteral("folder"))
                                                              : DeviceCatalog::builtInFolder());
    const DeviceDefinition *found = catalog.find(device);
    if (!found) {
        error = QStringLiteral("no device \"%1\" (see --list-devices)").arg(device);
        return false;
    }
    definition = *found;
    return true;
}

bool readFailure(const QCommandLineParser &parser, FailureInjection &failure, QString &error)
{
    if (!parser.isSet(QStringLiteral("failure")))
        return true;
    FailureMode mode;
    if (!failureModeFromText(parser.value(QStringLiteral("failure")), mode)) {
        error = QStringLiteral("unknown failure mode (see --list-failures)");
        return false;
    }
    failure = FailureInjection::of(mode);
    if (parser.isSet(QStringLiteral("failure-target"))) {
        const QString target = parser.value(QStringLiteral("failure-target"));
        v_protocol::TPayloadType type;
        if (target == QLatin1String("any"))
            failure.target.reset();
        else if (payloadTypeFromText(target, type))
            failure.target = type;
        else {
            error = QStringLiteral("unknown payload type \"%1\"").arg(target);
            return false;
        }
    }
    bool ok = true;
    if (parser.isSet(QStringLiteral("failure-skip")))
        failure.skip = parser.value(QStringLiteral("failure-skip")).toInt(&ok);
    if (ok && parser.isSet(QStringLiteral("failure-hits")))
        failure.hits = parser.value(QStringLiteral("failure-hits")).toInt(&ok);
    if (ok && parser.isSet(QStringLiteral("failure-delay-ms")))
        failure.delayUs = parser.value(QStringLiteral("failure-delay-ms")).toLongLong(&ok) * 1000;
    if (!ok)
        error = QStringLiteral("failure numbers must be integers");
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vk-device-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated field device: request packets in (one hex line each), answer packets out."));
    parser.addHelpOption();
    parser.addOptions({
        { { "d", "device" }, "Definition file, or the id or serial number of a device in the folder.", "device" },
        { "folder", "Folder of definitions (default: the built-in ones).", "folder" },
        { "list-devices",
            "List the devices of the folder (id, serial, name, address, company id, manufacturer "
            "data, start mode, description) and exit." },
        { "list-failures", "List the failure modes with their default targets and exit." },
        { "failure", "Failure mode to inject.", "mode" },
        { "failure-target", "Payload type the failure hits (an enumerator of TPayloadType, or any).", "type" },
        { "failure-skip", "Matching requests answered normally before the failure hits.", "n" },
        { "failure-hits", "Matching requests the failure hits (0: all).", "n" },
        { "failure-delay-ms", "Delay of VerySlowAnswer.", "ms" },
        { "broadcast", "Write one presence broadcast packet before reading." },
        { "link-timing", "Schedule answers as the link model of the definition would carry them." },
        { "realtime", "Wait for each answer's delay before writing it (otherwise delays are ignored)." },
        { "exit-on-disconnect", "Exit with status 3 when the device drops the link, instead of an empty line." },
        { "counters", "Write the device's counters to standard error at the end." },
    });
    parser.process(app);

    if (parser.isSet(QStringLiteral("list-failures"))) {
        listFailures();
        return 0;
    }
    if (parser.isSet(QStringLiteral("list-devices"))) {
        DeviceCatalog catalog;
        const ReturnCode rc
            = catalog.loadFolder(parser.isSet(QStringLiteral("folder")) ? parser.value(QStringLiteral("folder"))
                                                                        : DeviceCatalog::builtInFolder());
        for (const QString &error : catalog.errors())
            qWarning().noquote() << error;
        listDevices(catalog);
        return rc == ReturnCode::Ok ? 0 : 1;
    }
    if (!parser.isSet(QStringLiteral("device"))) {
        qWarning().noquote() << "vk-device-sim: --device is required (see --help)";
        return kExitUsage;
    }

    DeviceDefinition definition;
    FailureInjection failure;
    QString error;
    if (!loadDefinition(parser, definition, error) || !readFailure(parser, failure, error)) {
        qWarning().noquote() << "vk-device-sim:" << error;
        return kExitUsage;
    }

    DeviceEngine engine(definition);
    engine.setFailure(failure);
    engine.setLinkTimingEnabled(parser.isSet(QStringLiteral("link-timing")));
    const bool realtime = parser.isSet(QStringLiteral("realtime"));
    const bool exitOnDisconnect = parser.isSet(QStringLiteral("exit-on-disconnect"));
    qInfo().noquote() << "vk-device-sim:" << definition.id << definition.serial << engine.advertisement().name
                      << (failure.isActive() ? failure.description() : QStringLiteral("no failure"));
    if (parser.isSet(QStringLiteral("broadcast")))
        writeOut(HexLines::format(engine.presenceBroadcast()));

    int exitCode = 0;
    std::string line;
    while (exitCode == 0 && std::getline(std::cin, line)) {
        QByteArray bytes;
        const HexLines::Kind kind = HexLines::parse(QByteArray::fromStdString(line), bytes);
        if (kind == HexLines::Kind::Blank)
            continue;
        if (kind == HexLines::Kind::Invalid) {
            qWarning().noquote() << "vk-device-sim: not a hex packet:" << QString::fromStdString(line);
            continue;
        }
        if (!engine.isLinkUp())
            engine.connectLink();
        QElapsedTimer received;
        received.start();
        for (const ReplyItem &item : engine.handleBytes(bytes)) {
            if (realtime && item.delayUs > received.nsecsElapsed() / 1000)
                QThread::usleep(quint64(item.delayUs - received.nsecsElapsed() / 1000));
            if (item.isPacket()) {
                writeOut(HexLines::format(item.bytes));
            } else if (exitOnDisconnect) {
                exitCode = kExitLinkDropped;
                break;
            } else {
                writeOut(QByteArray("\n"));
            }
        }
    }
    if (parser.isSet(QStringLiteral("counters")))
        qInfo().noquote() << "vk-device-sim:" << engine.counters().toText();
    return exitCode;
}
