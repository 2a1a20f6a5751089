#include "app/app_identity.h"

#include <QStandardPaths>

namespace app {

QString mainDocumentUrl()
{
    return QStringLiteral("qrc%1/qml/main.qml").arg(kResourcePrefix);
}

QString windowIconPath()
{
    return kResourcePrefix + QStringLiteral("/android/icon/AppIcon.png");
}

QString settingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/")
        + QStringLiteral("appSettings") + QStringLiteral("VorlexIoTConfigurator") + QStringLiteral(".cfg");
}

} // namespace app
