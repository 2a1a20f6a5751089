#include "settings/encrypted_settings.h"

#include "settings/settings_text_format.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

#include <atomic>
#include <mutex>
#include <shared_mutex>

namespace {

const QString kStringPrefix = QStringLiteral("TStr");

std::mutex &instanceMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::atomic<EncryptedSettings *> &instancePointer()
{
    static std::atomic<EncryptedSettings *> pointer { nullptr };
    return pointer;
}

QString encodeString(const QString &text)
{
    return kStringPrefix
        + QString::fromLatin1(text.toUtf8().toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals));
}

QVariant decodeValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = value.toString();
    if (!text.startsWith(kStringPrefix))
        return value;
    return QString::fromUtf8(QByteArray::fromBase64(text.mid(kStringPrefix.size()).toLatin1()));
}

} // namespace

EncryptedSettings *EncryptedSettings::createInstance(const QString &fileName, quint64 secureKey)
{
    const std::lock_guard<std::mutex> lock(instanceMutex());
    if (EncryptedSettings *existing = instancePointer().load())
        return existing;

    bool valid = true;
    if (fileName.isEmpty()) {
        qDebug() << "ERROR:Invalid fileName";
        valid = false;
    }
    if (secureKey == 0) {
        qDebug() << "ERROR: Invalid secureKey";
        valid = false;
    }
    if (!valid)
        return nullptr;

    auto *created = new EncryptedSettings(fileName, secureKey);
    instancePointer().store(created);
    return created;
}

void EncryptedSettings::destroyInstance()
{
    const std::lock_guard<std::mutex> lock(instanceMutex());
    delete instancePointer().exchange(nullptr);
}

EncryptedSettings *EncryptedSettings::instance()
{
    return instancePointer().load();
}

EncryptedSettings::EncryptedSettings(const QString &fileName, quint64 secureKey)
    : m_fileName(fileName),
      m_store(settings::SettingsTextFormat::memoryStore(QStringLiteral("temp.cfg"))),
      m_cipher(settings::SettingsCipher::forStore(secureKey))
{
    // The tree is only ever touched under m_lock.
    loadFromFile();
}

EncryptedSettings::~EncryptedSettings() = default;

QVariant EncryptedSettings::value(const QString &key, const QVariant &defaultValue) const
{
    const std::shared_lock<settings::WritePreferringLock> lock(m_lock);
    return decodeValue(m_store->value(key, defaultValue));
}

ReturnCode EncryptedSettings::setValue(const QString &key, const QVariant &value)
{
    const std::unique_lock<settings::WritePreferringLock> lock(m_lock);
    if (value.typeId() == QMetaType::QString) {
        const QString encoded = encodeString(value.toString());
        qDebug() << "Store setting: " << encoded;
        m_store->setValue(key, encoded);
    } else {
        m_store->setValue(key, value);
    }
    return writeFile();
}

ReturnCode EncryptedSettings::saveToFile()
{
    const std::unique_lock<settings::WritePreferringLock> lock(m_lock);
    return writeFile();
}

void EncryptedSettings::loadFromFile()
{
    const std::unique_lock<settings::WritePreferringLock> lock(m_lock);
    m_store->clear();

    QFile file(m_fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "ERROR: Source file is not opened!";
        return;
    }
    const QByteArray text = m_cipher.decrypt(file.readAll());
    file.close();
    if (m_cipher.lastError() != settings::SettingsCipher::ErrorNoError) {
        qDebug() << "ERROR: Error while decrypt" << int(m_cipher.lastError());
        return;
    }
    settings::SettingsTextFormat::read(text, *m_store);
}

ReturnCode EncryptedSettings::writeFile()
{
    const QByteArray cipherText = m_cipher.encrypt(settings::SettingsTextFormat::write(*m_store));
    if (m_cipher.lastError() != settings::SettingsCipher::ErrorNoError) {
        qDebug() << "ERROR: Error while decrypt" << int(m_cipher.lastError());
        return ReturnCode::ErrInternalError;
    }

    // The folder may not exist yet on a fresh installation.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug() << "ERROR: Source file is not opened!";
        return ReturnCode::ErrAccessDenied;
    }
    // Flush before commit: QSaveFile (Qt 6.4) does not notice a failure of the final flush that
    // commit does itself and would put a cut-off file in place of the old one.
    const bool written = file.write(cipherText) == cipherText.size() && file.flush();
    if (!written)
        file.cancelWriting();
    if (!written || !file.commit()) {
        qDebug() << "ERROR: Settings file is not written!" << file.errorString();
        return ReturnCode::ErrAccessDenied;
    }
    return ReturnCode::Ok;
}
