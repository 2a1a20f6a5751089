#include "vk_config/tool_runner.h"

#include "app/app_identity.h"
#include "app/device_transport_option.h"
#include "app/quit_handler.h"
#include "configurator/app_settings.h"
#include "configurator/gui_qml_handler.h"
#include "device_manager/device_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "settings/encrypted_settings.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_transport.h"
#include "vk_config/command_line.h"
#include "vk_config/core_driver.h"
#include "vk_config/device_jobs.h"
#include "vk_config/simulator_state.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <memory>

namespace vk_config {

namespace {

constexpr int kStartMs = 10000;

void printError(QTextStream &err, const QString &message)
{
    err << "vk-config: error: " << message << Qt::endl;
}

QString outcomeWord(const Outcome &outcome)
{
    switch (outcome.code) {
    case ExitSuccess: return QStringLiteral("ok");
    case ExitDeviceFailed: return QStringLiteral("failed");
    case ExitUsage: return QStringLiteral("refused");
    case ExitNotFound: return QStringLiteral("not found");
    case ExitAuthRefused: return QStringLiteral("authentication refused");
    }
    return QStringLiteral("failed");
}

} // namespace

int runTool(const Request &request, QTextStream &out, QTextStream &err)
{
    QList<CommandLine::ListedDevice> devices;
    if (!request.serialsFile.isEmpty()) {
        QFile file(request.serialsFile);
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            printError(err, QStringLiteral("cannot read %1: %2").arg(request.serialsFile, file.errorString()));
            return ExitUsage;
        }
        if (!CommandLine::readSerials(file.readAll(), devices, error)) {
            printError(err, QStringLiteral("%1: %2").arg(request.serialsFile, error));
            return ExitUsage;
        }
    } else if (request.isDeviceCommand()) {
        devices.append({ request.serial, QString() });
    }

    // What needs no device is done without starting anything.
    if (request.isOffline()) {
        int exitCode = ExitSuccess;
        for (const CommandLine::ListedDevice &device : std::as_const(devices)) {
            const Outcome outcome = DeviceJobs::history(device.serial, request, out);
            if (!outcome.ok() && exitCode == ExitSuccess)
                exitCode = outcome.code;
        }
        return exitCode;
    }

    // The transport and, for simulated devices, the state they start from.
    app::DeviceTransportOption transport;
    if (!transport.select(request.simulated, request.simulatorFolder)) {
        printError(err, QStringLiteral("no simulated device can be loaded from %1").arg(request.simulatorFolder));
        return ExitUsage;
    }
    SimulatorState simulatorState;
    if (!request.simulatorState.isEmpty()) {
        QString error;
        if (!simulatorState.load(request.simulatorState, transport.catalog(), error)) {
            printError(err, error);
            return ExitUsage;
        }
    }

    // Start-up in the program's order.
    QCoreApplication *application = QCoreApplication::instance();
    event_bus::BusManager::createInstance(application);
    event_topics::registerMessageMetaTypes();
    const QString settingsFile = request.appSettingsFile.isEmpty() ? app::settingsFilePath() : request.appSettingsFile;
    EncryptedSettings::createInstance(settingsFile, app::kSettingsKey);
    qDebug() << "Settings file: " << settingsFile;
    configurator::GuiQmlHandler::setFrontEnd(QStringLiteral("vk-config"));
    configurator::GuiQmlHandler *core = configurator::GuiQmlHandler::createInstance();
    const std::shared_ptr<simulator::DevicePark> park = transport.install();
    if (park && request.linkTiming) {
        for (const simulator::DeviceDefinition &device : transport.catalog().definitions())
            park->withEngine(
                device.address, [](simulator::DeviceEngine &engine) { engine.setLinkTimingEnabled(true); });
    }
    device_manager::DeviceManager::createInstance(application);

    int exitCode = ExitSuccess;
    {
        CoreDriver driver(core, err);
        DeviceJobs jobs(driver, request, out);
        Outcome prepared = jobs.prepare();
        if (prepared.ok()
            && !driver.waitUntil([core]() { return core->isSubscribedToAll(); }, QDeadlineTimer(kStartMs)))
            prepared = Outcome::failure(ExitDeviceFailed, QStringLiteral("the application core did not start"));
        if (!prepared.ok()) {
            printError(err, prepared.message);
            exitCode = prepared.code;
        } else if (!request.isDeviceCommand()) {
            const Outcome outcome = jobs.scan();
            if (!outcome.ok())
                printError(err, outcome.message);
            exitCode = outcome.code;
        } else {
            QString password = request.password;
            if (password.isEmpty())
                password = qEnvironmentVariable("VK_PASSWORD");
            if (password.isEmpty())
                password = configurator::AppSettings::defaultPassword();
            QList<Outcome> outcomes;
            for (const CommandLine::ListedDevice &device : std::as_const(devices)) {
                const Outcome outcome
                    = jobs.onDevice(device.serial, device.password.isEmpty() ? password : device.password);
                if (!outcome.ok() && !outcome.message.isEmpty()) {
                    printError(err,
                        devices.size() > 1 ? QStringLiteral("%1: %2").arg(device.serial).arg(outcome.message)
                                           : outcome.message);
                }
                if (!outcome.ok() && exitCode == ExitSuccess)
                    exitCode = outcome.code;
                outcomes.append(outcome);
            }
            if (!request.serialsFile.isEmpty()) {
                if (request.json) {
                    QJsonArray summary;
                    for (int i = 0; i < devices.size(); ++i)
                        summary.append(QJsonObject { { QStringLiteral("serial"), double(devices.at(i).serial) },
                            { QStringLiteral("exitCode"), outcomes.at(i).code },
                            { QStringLiteral("result"), outcomeWord(outcomes.at(i)) },
                            { QStringLiteral("message"), outcomes.at(i).message } });
                    out << QJsonDocument(QJsonObject { { QStringLiteral("summary"), summary } })
                               .toJson(QJsonDocument::Compact)
                        << '\n';
                } else {
                    int failed = 0;
                    out << "\nserial      exit  result\n";
                    for (int i = 0; i < devices.size(); ++i) {
                        const Outcome &outcome = outcomes.at(i);
                        failed += outcome.ok() ? 0 : 1;
                        out << QStringLiteral("%1  %2  %3%4\n")
                                   .arg(QString::number(devices.at(i).serial), -10)
                                   .arg(outcome.code, 4)
                                   .arg(outcomeWord(outcome),
                                       outcome.ok() ? QString() : QStringLiteral(": ") + outcome.message);
                    }
                    out << QStringLiteral("%1 of %2 devices ok\n").arg(devices.size() - failed).arg(devices.size());
                }
                out.flush();
            }
        }
    }

    // Quit in the program's order; the core goes last, as the window's engine deletes it.
    app::QuitHandler {}();
    delete core;
    simulator::SimulatedTransport::uninstall();
    if (park && !request.simulatorState.isEmpty()) {
        QString error;
        if (!simulatorState.save(request.simulatorState, *park, transport.catalog(), error)) {
            printError(err, error);
            if (exitCode == ExitSuccess)
                exitCode = ExitUsage;
        }
    }
    out.flush();
    return exitCode;
}

} // namespace vk_config
