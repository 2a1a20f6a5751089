#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace settings {

// Symmetric cipher of the settings file, keyed by a 64-bit number.
//
// Ciphertext: byte 0 the format version (3), byte 1 the flags (kFlag...), then the scrambled block.
// The block before scrambling is one random byte, the integrity value (20-byte SHA-1 digest or
// 16-bit big-endian ISO 3309 checksum, or nothing) and the payload (optionally qCompress'ed at
// level 9). Scrambling runs forward over the block: b[i] ^= key[i % 8] ^ (scrambled b[i - 1]),
// with key[n] = byte n of the key, least significant first, and 0 before the first byte.
//
// Not thread-safe: one owner (the settings store calls it under its write lock).
class SettingsCipher
{
public:
    enum CompressionMode {
        CompressionAuto = 0, // compress, keep the compressed form only when it is shorter
        CompressionAlways = 1,
        CompressionNever = 2,
    };
    enum ProtectionMode {
        ProtectionNone = 0,
        ProtectionChecksum = 1,
        ProtectionHash = 2,
    };
    enum Error {
        ErrorNoError = 0,
        ErrorNoKeySet = 1,
        ErrorUnknownVersion = 2,
        ErrorIntegrityFailed = 3,
    };

    static constexpr char kVersion = 3;
    static constexpr char kFlagCompressed = 0x01;
    static constexpr char kFlagChecksum = 0x02;
    static constexpr char kFlagHash = 0x04;

    // Seeds the process's rand() from the clock: the random byte of each block comes from it.
    SettingsCipher();
    explicit SettingsCipher(quint64 key);

    // The cipher of the settings store's file: always compressed, protected by the hash.
    static SettingsCipher forStore(quint64 key);

    // 0 means "no key": encrypt and decrypt then fail with ErrorNoKeySet.
    void setKey(quint64 key);

    void setCompressionMode(CompressionMode mode) { m_compressionMode = mode; }
    void setProtectionMode(ProtectionMode mode) { m_protectionMode = mode; }

    // Result of the last encrypt/decrypt (an input shorter than the header leaves it unchanged).
    Error lastError() const { return m_lastError; }

    // Empty on failure (see lastError()).
    QByteArray encrypt(const QByteArray &plain);
    QByteArray decrypt(const QByteArray &cipher);

private:
    bool hasKey() const;

    quint64 m_key = 0;
    char m_keyParts[8] = {};
    CompressionMode m_compressionMode = CompressionAuto;
    ProtectionMode m_protectionMode = ProtectionChecksum;
    Error m_lastError = ErrorNoError;
};

} // namespace settings
