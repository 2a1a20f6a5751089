#pragma once

#include "v_protocol/t_file_table.h"

#include <QObject>
#include <QString>

// One file of the device for the device-files page: the file-table entry and the name the device
// gave it. The permissions say who may read, write and clear the file.
class VkFileInfoElement : public QObject
{
    Q_OBJECT

public:
    enum EEPermission {
        Hidden = 0,
        RootEnabledUserDisabled = 1,
        RootDisabledUserEnabled = 2,
        Enabled = 3,
    };
    Q_ENUM(EEPermission)
    using EPermission = EEPermission;

    Q_PROPERTY(int fileId READ fileId CONSTANT)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName NOTIFY changedFileName)
    Q_PROPERTY(EPermission readPermission READ readPermission CONSTANT)
    Q_PROPERTY(EPermission writePermission READ writePermission CONSTANT)
    Q_PROPERTY(EPermission clearPermission READ clearPermission CONSTANT)

    VkFileInfoElement(const v_protocol::TFileTable::Element &entry, const QString &fileName, QObject *parent = nullptr);

    int fileId() const { return _entry.fileId; }
    QString fileName() const { return _fileName; }
    // Replaces the name; emits nothing.
    void setFileName(const QString &fileName) { _fileName = fileName; }
    EPermission readPermission() const { return EPermission(_entry.readPermission); }
    EPermission writePermission() const { return EPermission(_entry.writePermission); }
    EPermission clearPermission() const { return EPermission(_entry.clearPermission); }

    const v_protocol::TFileTable::Element &entry() const { return _entry; }

    // Whether a user with (isRoot) or without root rights may use an operation of this permission.
    Q_INVOKABLE static bool permits(EPermission permission, bool isRoot);

signals:
    void changedFileName();

private:
    const v_protocol::TFileTable::Element _entry;
    QString _fileName;
};

Q_DECLARE_METATYPE(VkFileInfoElement *)
