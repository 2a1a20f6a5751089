#include "app/startup.h"

#include "app/app_identity.h"
#include "app/device_transport_option.h"
#include "app/first_frame_probe.h"
#include "app/log_handler.h"
#include "app/quit_handler.h"
#include "app/quit_signals.h"
#include "configurator/gui_qml_handler.h"
#include "configurator/interface_language.h"
#include "configurator/program_info.h"
#include "configurator/ui/qml_types.h"
#include "device_manager/device_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "settings/encrypted_settings.h"

#include <QCommandLineParser>
#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QQmlApplicationEngine>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

namespace app {

int run(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // 1. Log handler first, so that every later line has the program's format.
    qInstallMessageHandler(logMessageHandler);

    // 2.-4. Application object and identity.
    QCoreApplication::setApplicationName(kApplicationName);
    QGuiApplication application(argc, argv);
    QCoreApplication::setOrganizationName(kOrganizationName);
    QCoreApplication::setOrganizationDomain(kOrganizationDomain);
    QCoreApplication::setApplicationVersion(configurator::ProgramInfo::version());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configurator for Vorlex Bluetooth LE field devices"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption quitAfterLoad(
        QStringLiteral("quit-after-load"), QStringLiteral("Start, load the main window, then quit at once."));
    parser.addOption(quitAfterLoad);
    const QCommandLineOption quitAfterFirstFrame(QStringLiteral("quit-after-first-frame"),
        QStringLiteral("Start, show the main window, log the time and memory its first frame took, then quit."));
    parser.addOption(quitAfterFirstFrame);
    DeviceTransportOption transport;
    transport.addTo(parser);
    parser.process(application);
    // A transport that cannot be had stops the program before any module runs.
    if (!transport.read(parser))
        return 1;

    // 5. Message bus, in its own thread (waits up to 10 s for it), and the meta-types of the messages
    //    and of the values queued between the modules, before any module can publish.
    event_bus::BusManager::createInstance(&application);
    event_topics::registerMessageMetaTypes();

    // 6. Encrypted settings store.
    const QString settingsFile = settingsFilePath();
    EncryptedSettings::createInstance(settingsFile, kSettingsKey);
    qDebug() << "Settings file: " << settingsFile;
    // The interface language the settings ask for, before the core makes its first texts and before
    // the interface loads.
    QTranslator catalogue;
    configurator::InterfaceLanguage::installChosen(catalogue);
    // 7. Application core, in the GUI thread; the QML engine owns it once the interface uses it.
    configurator::GuiQmlHandler::createInstance();
    // 8. Device manager (with the discovery and interface managers), on the transport chosen above.
    transport.install();
    device_manager::DeviceManager::createInstance(&application);

    // 9. Quit handler.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, QuitHandler {});
    // SIGTERM and SIGINT take the same way out.
    QuitSignals quitSignals;

    // 10. Window icon. Given with its size (read from the file's header) the icon is decoded only when
    // the window system asks for it, not before the first frame.
    const QString iconPath = windowIconPath();
    QIcon windowIcon;
    windowIcon.addFile(iconPath, QImageReader(iconPath).size());
    QGuiApplication::setWindowIcon(windowIcon);

    // 11. QML type registrations.
    configurator::registerQmlTypes();

    // 12. Main document.
    QQmlApplicationEngine engine;
    engine.addImportPath(kResourcePrefix);
    engine.addImportPath(configurator::qmlImportPath());
    engine.load(QUrl(mainDocumentUrl()));

    // 13. Event loop.
    if (engine.rootObjects().isEmpty()) {
        qDebug() << "Invalid QQmlApplicationEngine::rootObjects!";
        QCoreApplication::quit();
        // aboutToQuit only fires from a running event loop: stop the modules here, or their
        // threads would be destroyed while still running when the application object goes.
        QuitHandler {}();
        return 0;
    }
    // The interface is there: the core gives it its name and the application settings (once per run,
    // also when the window reports the application active first).
    if (auto *core = configurator::GuiQmlHandler::instance())
        QMetaObject::invokeMethod(core, "_onUiLoaded", Qt::QueuedConnection);
    if (parser.isSet(quitAfterLoad))
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    else if (parser.isSet(quitAfterFirstFrame))
        FirstFrameProbe::quitAfterFirstFrame(engine, sinceStart);
    return application.exec();
}

} // namespace app
