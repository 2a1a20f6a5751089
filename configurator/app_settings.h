#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/t_slave_profile.h"

#include <QList>
#include <QString>
#include <QVariant>

class QObject;
class VkInterfaceElement;

namespace configurator {

// The program's own settings: eight rows shown on the application settings page through the same
// element objects as device values, kept in the encrypted settings store under "setting/app<id>".
class AppSettings
{
public:
    enum Id {
        Autoconnect = 0,
        DefaultPassword = 1,
        DebugTimestamp = 2,
        BootloaderConnectionTimeout = 3,
        FirmwareUpdateServer = 4,
        StartUpdateAfterReceive = 5,
        InterfaceLanguage = 6, // an InterfaceLanguage::Choice, used from the next start on
        ConsoleLines = 7, // the most lines the debug console keeps
    };

    struct Row
    {
        v_protocol::TSlaveProfile::Element element;
        QVariant defaultValue;
    };

    // The eight rows, in id order (built once).
    static const QList<Row> &rows();

    // "setting/app<id>".
    static QString key(int id);

    // The default of a setting; an invalid variant for an id without one.
    static QVariant defaultValue(int id);

    // The stored value of a setting, or its default. Without a settings store: "Bad result: " with
    // ErrInvalidHandler, and the default.
    static QVariant read(int id);

    // Stores the decoded value of an application-settings element under its key.
    // ErrArgumentPointerIsNull without an element, ErrInvalidHandler without a settings store.
    static ReturnCode store(const VkInterfaceElement *element);

    // One element per row, owned by `parent`, holding the stored value (written through `data`, which
    // emits nothing the first time), its entries in the interface language. Empty without a settings
    // store. The caller connects changedData to store().
    static QList<VkInterfaceElement *> createElements(QObject *parent);

    // What the core reads of them.
    static bool autoconnect();
    // The default password with every NUL character removed.
    static QString defaultPassword();
    static bool debugTimestamp();
    // The wait after a restart into the bootloader: seconds × 1000, or 10 ms for 0 seconds or less.
    static int bootloaderConnectionDelayMs();
    static bool startUpdateAfterReceive();
    // The most lines the debug console keeps: the stored number, at least kMinConsoleLines.
    static int consoleLines();
    static constexpr int kMinConsoleLines = 100;

    // The serial number of the device the user connected to last (kept under
    // "setting/lastConnectedSerial", not a row of the page); empty when there was none, or without
    // a settings store.
    static QString lastConnectedSerial();
    static void storeLastConnectedSerial(const QString &serial);
};

} // namespace configurator
