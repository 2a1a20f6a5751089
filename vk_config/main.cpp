// vk-config: the command-line front end of the application core.
#include "app/app_identity.h"
#include "app/log_handler.h"
#include "vk_config/command_line.h"
#include "vk_config/outcome.h"
#include "vk_config/tool_runner.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// Without --verbose the log stays out of the tool's output.
void discardLog(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(discardLog);
    // The report prints through Qt Gui; without a display it renders offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    vk_config::Request request;
    QString error;
    QString help;
    if (!vk_config::CommandLine::parse(arguments, request, error, help)) {
        err << "vk-config: error: " << error << Qt::endl;
        return vk_config::ExitUsage;
    }
    if (!help.isEmpty()) {
        out << help;
        return vk_config::ExitSuccess;
    }
    if (request.verbose)
        qInstallMessageHandler(app::logMessageHandler);

    // The program's identity, so that its settings and data folders are the window's.
    QCoreApplication::setApplicationName(app::kApplicationName);
    std::unique_ptr<QCoreApplication> application;
    if (request.needsGui())
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganizationName);
    QCoreApplication::setOrganizationDomain(app::kOrganizationDomain);
    return vk_config::runTool(request, out, err);
}
