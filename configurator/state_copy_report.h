#pragma once

#include "configurator/device_history.h"
#include "configurator/vk_interface_element.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_application.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace configurator {

// One reported element: its profile fields, the value the application holds and, for a compared
// setting, the value just read back from the device.
struct StateCopyRow
{
    v_protocol::TSlaveProfile::Element element;
    QByteArray appValue;
    bool hasDeviceValue = false;
    QByteArray deviceValue;
};

// The state copy: a PDF of a device's identity, authentication, every value of the interface and
// the debug console. Every text that came from the device is escaped before it goes into the
// document, and the document loads nothing from outside while it is printed.
class StateCopyReport
{
public:
    // One row per element in list order; settings are compared with `deviceSettings` when connected.
    static QList<StateCopyRow> rows(const QList<VkInterfaceElement *> &elements, bool connected,
        const v_protocol::TFileWithDataElements &deviceSettings);

    // `changes`: what was written to the device since it was connected, reported after the values.
    static QString html(const v_protocol::TSlaveApplication &device, const v_protocol::TAuthResponse &auth,
        const QList<StateCopyRow> &rows, const QString &debugText, const QDateTime &now,
        const QList<DeviceHistory::Record> &changes = {});

    // "<folder>/<kind>-<device>-<local time>.<suffix>" (StateCopy, pdf unless told), every space of
    // the name an underscore.
    static QString filePath(const QString &folder, const v_protocol::TSlaveApplication &device, const QDateTime &now,
        const QString &kind = QStringLiteral("StateCopy"), const QString &suffix = QStringLiteral("pdf"));

    // Prints the document to a PDF (A4, 5 mm margins); false when no file came out.
    static bool print(const QString &html, const QString &path);

    // What the report names the device by: its display text, or "No device" for a record without a
    // serial number.
    static QString deviceText(const v_protocol::TSlaveApplication &device);
};

} // namespace configurator
