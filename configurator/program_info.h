#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace configurator {

// What the interface tells about the running program: the version text of the build and whether it
// runs on simulated devices instead of Bluetooth LE (chosen once at start-up), and where the user's
// downloads are. The QML singleton
// ProgramInfo (VkUi 1.0).
class ProgramInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(bool simulatedDevices READ simulatedDevices CONSTANT)
    Q_PROPERTY(QUrl downloadFolder READ downloadFolder CONSTANT)

public:
    explicit ProgramInfo(QObject *parent = nullptr);

    static QString version();
    static bool simulatedDevices();
    // Set by start-up before the interface is loaded.
    static void setSimulatedDevices(bool simulated);
    // The user's first download folder, where the firmware file dialog starts.
    static QUrl downloadFolder();
};

} // namespace configurator
