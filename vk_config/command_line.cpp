#include "vk_config/command_line.h"

#include "configurator/element_value.h"
#include "configurator/program_info.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace vk_config {

namespace {

const QStringList kCommands { QStringLiteral("scan"), QStringLiteral("get"), QStringLiteral("set"),
    QStringLiteral("run"), QStringLiteral("files"), QStringLiteral("report"), QStringLiteral("update"),
    QStringLiteral("diff"), QStringLiteral("history") };

const QString kSimulator = QStringLiteral("--simulator");

const char *kSummary = R"(Commands:
  scan [--seconds N]                    the devices seen, one line each
  get SERIAL [--settings] [--state] [--personalization] [--all]
                                        read the device and print every element
  set SERIAL FILE.json | --value ID=VALUE ... [--dry-run]
                                        check, write, apply, read back and compare
  diff SERIAL FILE.json                 compare a document with the device (exit 1 when they differ)
  run SERIAL COMMAND_ID [DATA_HEX]      run a command of the device
  files SERIAL list | read ID [-o FILE] | clear ID
                                        raw files on the device
  report SERIAL [-o FILE.pdf]           the state copy report
  update SERIAL FIRMWARE.bin            firmware update through the bootloader
  history SERIAL                        what was written to the device, oldest first (no connection)

With --serials FILE the SERIAL is left out: the command runs for every serial number of the file.
Values are shown and typed as the window shows them:
%1Exit codes: 0 success, 1 the device refused or failed, 2 usage or a value that does not fit the
profile, 3 device not found, 4 authentication refused.)";

// "--simulator FOLDER" takes the next argument as its folder when it names one ("/" in it, or an
// existing folder) and is not a command; "--simulator=FOLDER" always.
QStringList takeSimulatorFolder(const QStringList &arguments, Request &request)
{
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(kSimulator + u'=')) {
            request.simulated = true;
            request.simulatorFolder = argument.mid(kSimulator.size() + 1);
            rest << kSimulator;
            continue;
        }
        rest << argument;
        if (argument != kSimulator || i + 1 >= arguments.size())
            continue;
        const QString &next = arguments.at(i + 1);
        if (next.startsWith(u'-') || kCommands.contains(next))
            continue;
        if (next.contains(u'/') || QFileInfo(next).isDir()) {
            request.simulatorFolder = next;
            ++i;
        }
    }
    return rest;
}

bool parseNumber(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

bool CommandLine::parseSerial(const QString &text, quint32 &serial)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return false;
    const quint64 value = text.toULongLong();
    if (value < 1 || value > 0xFFFFFFFFull)
        return false;
    serial = quint32(value);
    return true;
}

bool CommandLine::readSerials(const QByteArray &text, QList<ListedDevice> &devices, QString &error)
{
    devices.clear();
    int number = 0;
    for (const QByteArray &rawLine : text.split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
        ListedDevice device;
        if (fields.size() > 2 || !parseSerial(fields.first(), device.serial)) {
            error = QStringLiteral("line %1 of the serial list is not \"SERIAL [PASSWORD]\": %2").arg(number).arg(line);
            return false;
        }
        device.password = fields.value(1);
        devices.append(device);
    }
    if (devices.isEmpty()) {
        error = QStringLiteral("the serial list holds no serial number");
        return false;
    }
    return true;
}

bool CommandLine::parse(const QStringList &arguments, Request &request, QString &error, QString &helpText)
{
    request = Request();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Provisioning of Vorlex Bluetooth LE field devices from scripts.\n\n")
        + QString::fromUtf8(kSummary).arg(configurator::ElementValue::formats()));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("This help."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Machine-readable output (JSON)."));
    const QCommandLineOption verbose(
        { QStringLiteral("v"), QStringLiteral("verbose") }, QStringLiteral("The log on standard output."));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("get: the settings."));
    const QCommandLineOption state(QStringLiteral("state"), QStringLiteral("get: the state values."));
    const QCommandLineOption personalization(
        QStringLiteral("personalization"), QStringLiteral("get: the personalization values."));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("get: every element (the default)."));
    const QCommandLineOption value(QStringLiteral("value"),
        QStringLiteral("set: a value as get shows it (repeatable)."), QStringLiteral("ID=VALUE"));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"), QStringLiteral("set: print what would change, write nothing."));
    const QCommandLineOption output({ QStringLiteral("o"), QStringLiteral("output") },
        QStringLiteral("files read, report: where to copy the file ({serial} is replaced)."), QStringLiteral("FILE"));
    const QCommandLineOption seconds(
        QStringLiteral("seconds"), QStringLiteral("scan: how long to scan (default 5)."), QStringLiteral("N"));
    const QCommandLineOption password(QStringLiteral("password"),
        QStringLiteral("The device password (else VK_PASSWORD, else the default-password setting)."),
        QStringLiteral("PASSWORD"));
    const QCommandLineOption serials(QStringLiteral("serials"),
        QStringLiteral("Run the command for every serial number of FILE (\"SERIAL [PASSWORD]\" a line)."),
        QStringLiteral("FILE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
        QStringLiteral("Give up a device job after SECONDS (default 120); a device not seen within 10 s (or "
                       "SECONDS when shorter) is not found."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption simulator(QStringLiteral("simulator"),
        QStringLiteral("Simulated devices instead of Bluetooth LE: the built-in ones, or those of --simulator "
                       "FOLDER."));
    const QCommandLineOption simulatorState(QStringLiteral("simulator-state"),
        QStringLiteral("With --simulator: load the simulated devices' values, firmware and counters from FILE and "
                       "save them there at the end, so that successive runs see the same devices."),
        QStringLiteral("FILE"));
    const QCommandLineOption linkTiming(QStringLiteral("link-timing"),
        QStringLiteral("With --simulator: simulated devices answer with the timing of their Bluetooth link."));
    const QCommandLineOption appSettings(QStringLiteral("app-settings"),
        QStringLiteral("The program's settings file to use (default: the one the window uses)."),
        QStringLiteral("FILE"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("The version."));
    parser.addOptions({ help, json, verbose, settings, state, personalization, all, value, dryRun, output, seconds,
        password, serials, timeout, simulator, simulatorState, linkTiming, appSettings, version });
    parser.addPositionalArgument(
        QStringLiteral("command"), QStringLiteral("scan, get, set, run, files, report, update"));

    const QStringList rest = takeSimulatorFolder(arguments, request);
    if (!parser.parse(rest)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        // Parsed before the application object exists: the program's name is filled in here.
        helpText = parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("vk-config"));
        return true;
    }
    if (parser.isSet(version)) {
        helpText = QStringLiteral("vk-config %1\n").arg(configurator::ProgramInfo::version());
        return true;
    }

    request.json = parser.isSet(json);
    request.verbose = parser.isSet(verbose);
    request.settings = parser.isSet(settings);
    request.state = parser.isSet(state);
    request.personalization = parser.isSet(personalization);
    if (parser.isSet(all))
        request.settings = request.state = request.personalization = true;
    request.values = parser.values(value);
    request.dryRun = parser.isSet(dryRun);
    request.output = parser.value(output);
    request.password = parser.value(password);
    request.serialsFile = parser.value(serials);
    request.simulated = request.simulated || parser.isSet(simulator);
    request.simulatorState = parser.value(simulatorState);
    request.linkTiming = parser.isSet(linkTiming);
    request.appSettingsFile = parser.value(appSettings);
    if (parser.isSet(seconds) && !parseNumber(parser.value(seconds), 1, 3600, request.scanSeconds)) {
        error = QStringLiteral("--seconds takes a number of seconds from 1 to 3600, not \"%1\"")
                    .arg(parser.value(seconds));
        return false;
    }
    if (parser.isSet(timeout) && !parseNumber(parser.value(timeout), 1, 86400, request.timeoutSeconds)) {
        error = QStringLiteral("--timeout takes a number of seconds from 1 to 86400, not \"%1\"")
                    .arg(parser.value(timeout));
        return false;
    }
    if (!request.simulated && (!request.simulatorState.isEmpty() || request.linkTiming)) {
        error = QStringLiteral("--simulator-state and --link-timing go with --simulator");
        return false;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error = QStringLiteral(
            "no command given (scan, get, set, diff, run, files, report, update, history; --help tells more)");
        return false;
    }
    request.commandName = positional.takeFirst();
    const int commandIndex = int(kCommands.indexOf(request.commandName));
    if (commandIndex < 0) {
        error = QStringLiteral("unknown command \"%1\" (scan, get, set, diff, run, files, report, update, history)")
                    .arg(request.commandName);
        return false;
    }
    request.command = Request::Command(commandIndex);

    if (request.command == Request::Command::Scan) {
        if (!positional.isEmpty()) {
            error = QStringLiteral("scan takes no argument, not \"%1\"").arg(positional.first());
            return false;
        }
        if (!request.serialsFile.isEmpty()) {
            error = QStringLiteral("scan does not go with --serials");
            return false;
        }
        return true;
    }
    if (request.serialsFile.isEmpty()) {
        if (positional.isEmpty() || !parseSerial(positional.first(), request.serial)) {
            error = QStringLiteral("%1 needs the device's serial number (1 ... 4294967295) first%2")
                        .arg(request.commandName,
                            positional.isEmpty() ? QString() : QStringLiteral(", not \"%1\"").arg(positional.first()));
            return false;
        }
        positional.removeFirst();
    }

    const auto tooMany = [&](int allowed) {
        if (positional.size() <= allowed)
            return false;
        error = QStringLiteral("%1: unexpected argument \"%2\"").arg(request.commandName, positional.at(allowed));
        return true;
    };
    switch (request.command) {
    case Request::Command::Scan: break;
    case Request::Command::Get:
    case Request::Command::Report:
    case Request::Command::History:
        if (tooMany(0))
            return false;
        break;
    case Request::Command::Set:
        if (tooMany(1))
            return false;
        request.documentFile = positional.value(0);
        if (request.documentFile.isEmpty() == request.values.isEmpty()) {
            error = QStringLiteral("set takes either a document FILE.json or --value ID=VALUE, one of the two");
            return false;
        }
        break;
    case Request::Command::Diff:
        if (tooMany(1))
            return false;
        request.documentFile = positional.value(0);
        if (request.documentFile.isEmpty()) {
            error = QStringLiteral("diff needs a document FILE.json");
            return false;
        }
        break;
    case Request::Command::Run: {
        if (tooMany(2))
            return false;
        if (positional.isEmpty() || !parseNumber(positional.first(), 0, 0xFFFF, request.commandId)) {
            error = QStringLiteral("run needs a command id from 0 to 65535");
            return false;
        }
        const QString data = positional.value(1);
        static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        if (!hex.match(data).hasMatch()) {
            error = QStringLiteral("run: DATA_HEX \"%1\" is not hexadecimal bytes").arg(data);
            return false;
        }
        request.commandData = QByteArray::fromHex(data.toLatin1());
        break;
    }
    case Request::Command::Files: {
        const QString action = positional.value(0);
        if (action == QLatin1String("list")) {
            request.filesAction = Request::FilesAction::List;
            if (tooMany(1))
                return false;
        } else if (action == QLatin1String("read") || action == QLatin1String("clear")) {
            request.filesAction
                = action == QLatin1String("read") ? Request::FilesAction::Read : Request::FilesAction::Clear;
            if (tooMany(2))
                return false;
            if (!parseNumber(positional.value(1), 0, 255, request.fileId)) {
                error = QStringLiteral("files %1 needs a file id from 0 to 255").arg(action);
                return false;
            }
        } else {
            error = QStringLiteral("files takes list, read ID or clear ID");
            return false;
        }
        break;
    }
    case Request::Command::Update:
        if (tooMany(1))
            return false;
        request.firmwareFile = positional.value(0);
        if (request.firmwareFile.isEmpty()) {
            error = QStringLiteral("update needs a firmware file");
            return false;
        }
        break;
    }
    return true;
}

} // namespace vk_config
