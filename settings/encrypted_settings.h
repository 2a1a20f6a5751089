#pragma once

#include "return_codes/return_codes.h"
#include "settings/settings_cipher.h"
#include "settings/write_preferring_lock.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

// The application's settings: groups of key/value pairs held in memory and mirrored into one
// encrypted file, rewritten completely on every change. Keys read "group/key"; only keys that lie
// directly inside a top-level group reach the file (the application uses "setting/app<N>").
//
// A process-wide singleton without a thread of its own: every member may be called from any
// thread (reads share a lock, a change holds it exclusively for the update and the file rewrite).
class EncryptedSettings : public QObject
{
    Q_OBJECT

public:
    // Returns the store, creating it and loading `fileName` on the first call; later calls return
    // the existing store and ignore their arguments. An empty file name or a zero key creates
    // nothing and returns null.
    static EncryptedSettings *createInstance(const QString &fileName, quint64 secureKey);
    // Deletes the store without saving (every change has been saved already).
    static void destroyInstance();
    static EncryptedSettings *instance();

    // The stored value, or `defaultValue` when the key is absent. Strings come back decoded.
    QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const;
    // Stores the value (a string in its encoded form "TStr" + Base64 of its UTF-8 bytes) and saves
    // the file; returns the result of the save.
    ReturnCode setValue(const QString &key, const QVariant &value);

    QString fileName() const { return m_fileName; }

public slots:
    // Writes the whole store to the file. The new file is written beside the old one and replaces
    // it only when complete, so a failed save leaves the previous settings in place.
    ReturnCode saveToFile();

private:
    EncryptedSettings(const QString &fileName, quint64 secureKey);
    ~EncryptedSettings() override;

    void loadFromFile();
    ReturnCode writeFile(); // caller holds the write lock

    const QString m_fileName;
    std::unique_ptr<QSettings> m_store;
    settings::SettingsCipher m_cipher;
    mutable settings::WritePreferringLock m_lock;
};
