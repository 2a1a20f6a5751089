#include "settings/settings_cipher.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>

#include <cstdlib>

namespace settings {

namespace {

constexpr int kHeaderSize = 2;
constexpr int kChecksumSize = 2;
constexpr int kHashSize = 20;

QByteArray sha1(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

quint16 checksum(const QByteArray &data)
{
    return qChecksum(data, Qt::ChecksumIso3309);
}

} // namespace

SettingsCipher::SettingsCipher()
{
    std::srand(uint(QDateTime::currentMSecsSinceEpoch() & 0xFFFF));
}

SettingsCipher::SettingsCipher(quint64 key) : SettingsCipher()
{
    setKey(key);
}

SettingsCipher SettingsCipher::forStore(quint64 key)
{
    SettingsCipher cipher(key);
    cipher.setCompressionMode(CompressionAlways);
    cipher.setProtectionMode(ProtectionHash);
    return cipher;
}

void SettingsCipher::setKey(quint64 key)
{
    m_key = key;
    for (int i = 0; i < 8; ++i)
        m_keyParts[i] = char((key >> (8 * i)) & 0xFF);
}

bool SettingsCipher::hasKey() const
{
    if (m_key != 0)
        return true;
    qWarning() << "No key set.";
    return false;
}

QByteArray SettingsCipher::encrypt(const QByteArray &plain)
{
    if (!hasKey()) {
        m_lastError = ErrorNoKeySet;
        return {};
    }

    QByteArray payload = plain;
    char flags = 0;
    if (m_compressionMode == CompressionAlways) {
        payload = qCompress(payload, 9);
        flags |= kFlagCompressed;
    } else if (m_compressionMode == CompressionAuto) {
        QByteArray compressed = qCompress(payload, 9);
        if (compressed.size() < payload.size()) {
            payload = compressed;
            flags |= kFlagCompressed;
        }
    }

    QByteArray integrity;
    if (m_protectionMode == ProtectionChecksum) {
        const quint16 sum = checksum(payload);
        integrity.append(char(sum >> 8)).append(char(sum & 0xFF));
        flags |= kFlagChecksum;
    } else if (m_protectionMode == ProtectionHash) {
        integrity = sha1(payload);
        flags |= kFlagHash;
    }

    QByteArray result;
    result.reserve(kHeaderSize + 1 + integrity.size() + payload.size());
    result.append(kVersion).append(flags);
    result.append(char(std::rand() & 0xFF)).append(integrity).append(payload);

    char previous = 0;
    for (qsizetype i = kHeaderSize; i < result.size(); ++i) {
        result[i] = char(result.at(i) ^ m_keyParts[(i - kHeaderSize) % 8] ^ previous);
        previous = result.at(i);
    }

    m_lastError = ErrorNoError;
    return result;
}

QByteArray SettingsCipher::decrypt(const QByteArray &cipher)
{
    if (!hasKey()) {
        m_lastError = ErrorNoKeySet;
        return {};
    }
    if (cipher.size() < kHeaderSize + 1)
        return {};
    if (cipher.at(0) != kVersion) {
        qWarning() << "Invalid version or not a cyphertext.";
        m_lastError = ErrorUnknownVersion;
        return {};
    }

    const char flags = cipher.at(1);
    QByteArray block = cipher.mid(kHeaderSize);
    char previous = 0;
    for (qsizetype i = 0; i < block.size(); ++i) {
        const char scrambled = block.at(i);
        block[i] = char(scrambled ^ previous ^ m_keyParts[i % 8]);
        previous = scrambled;
    }
    block.remove(0, 1); // the random byte

    bool intact = true;
    if (flags & kFlagChecksum) {
        if (block.size() < kChecksumSize) {
            intact = false;
        } else {
            const quint16 stored = quint16((quint8(block.at(0)) << 8) | quint8(block.at(1)));
            block.remove(0, kChecksumSize);
            intact = stored == checksum(block);
        }
    } else if (flags & kFlagHash) {
        if (block.size() < kHashSize) {
            intact = false;
        } else {
            const QByteArray stored = block.left(kHashSize);
            block.remove(0, kHashSize);
            intact = stored == sha1(block);
        }
    }
    if (!intact) {
        m_lastError = ErrorIntegrityFailed;
        return {};
    }

    if (flags & kFlagCompressed) {
        // qCompress of nothing is a zero length alone; anything else must inflate to some data
        // (qUncompress answers a damaged stream with an empty result).
        const bool nothing = block == QByteArray(4, '\0');
        block = nothing ? QByteArray() : qUncompress(block);
        if (block.isEmpty() && !nothing) {
            m_lastError = ErrorIntegrityFailed;
            return {};
        }
    }

    m_lastError = ErrorNoError;
    return block;
}

} // namespace settings
