#pragma once

#include "configurator/config_document.h"
#include "configurator/element_value.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace configurator {

// A configuration document held against a device, row by row, before anything is written: the value
// on the device, the value in the file, and whether the file's value differs and fits this device.
// The window's compare table, `vk-config diff` and `vk-config set` all read the same comparison.
class ConfigComparison
{
    Q_DECLARE_TR_FUNCTIONS(ConfigComparison)

public:
    enum class Status {
        Equal, // the device holds the file's value
        Differs, // the file's value fits and would change the device
        Refused, // the file's value does not fit this device (the reason says why)
        Written, // written and read back as written
        Failed, // written, but the device holds something else afterwards (or the write failed)
    };

    struct Row
    {
        int id = -1;
        QString name;
        QString deviceText;
        QString fileText;
        Status status = Status::Equal;
        ElementValue::Refusal refusal = ElementValue::Refusal::None;
        QString reason;
        // What the element's `data` takes for the file's value (Differs rows).
        QVariant data;
    };

    QList<Row> rows;
    // What the user should know before applying: the file comes from another model or firmware.
    QStringList warnings;

    int count(Status status) const;
    const Row *row(int id) const;
    Row *row(int id);
    // Nothing would change and nothing was refused.
    bool isEqual() const { return count(Status::Differs) == 0 && count(Status::Refused) == 0; }

    // The rows of `document` for the elements of `kinds` (entries of other kinds are left out), each
    // against the value `deviceValue` gives for its element, for a user with or without root rights.
    static ConfigComparison compare(const ConfigDocument::Contents &document,
        const QList<VkInterfaceElement *> &elements, const std::function<QByteArray(const VkInterfaceElement &)> &deviceValue,
        const v_protocol::TSlaveApplication &device, bool isRoot, const QList<VkInterfaceElement::ETypes> &kinds);

    // "equal", "differs", the refusal's reason, "written", "failed".
    static QString statusText(const Row &row);
    // "Equal", "Differs", ... as a word for documents.
    static QString statusName(Status status);
};

} // namespace configurator
