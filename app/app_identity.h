#pragma once

#include <QString>
#include <QtGlobal>

// Identity of the program and the fixed values handed to its modules at start-up.
namespace app {

inline const QString kApplicationName = QStringLiteral("VorlexIoTConfigurator");
inline const QString kOrganizationName = QStringLiteral("Vorlex");
inline const QString kOrganizationDomain = QStringLiteral("com.vorlex.configurator");
inline const QString kQmlModuleUri = QStringLiteral("VorlexIoTConfigurator");
inline const QString kResourcePrefix = QStringLiteral(":/configurator/resources/VorlexIoTConfigurator");

// "qrc" + prefix + "/qml/main.qml": qrc:/configurator/resources/VorlexIoTConfigurator/qml/main.qml
QString mainDocumentUrl();

// The window icon is the module's application icon, rendered at build time from
// configurator/resources/VorlexIoTConfigurator/icons-src/app_icon.svg (a resource path, not a qrc URL).
QString windowIconPath();

// Settings file: <ConfigLocation>/appSettingsVorlexIoTConfigurator.cfg
QString settingsFilePath();

// Key of the encrypted settings file.
constexpr quint64 kSettingsKey = Q_UINT64_C(0x3D8E51A7C42B96F0);

} // namespace app
