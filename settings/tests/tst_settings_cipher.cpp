#include "settings/settings_cipher.h"
#include "testing/log_capture.h"

#include <QtTest>

using settings::SettingsCipher;

Q_DECLARE_METATYPE(SettingsCipher::CompressionMode)
Q_DECLARE_METATYPE(SettingsCipher::ProtectionMode)

namespace {

constexpr quint64 kKey = Q_UINT64_C(0x3D8E51A7C42B96F0);
const QByteArray kSettingsText = QByteArrayLiteral("[setting]\napp0=TStrYWJj\napp3=7\n");

SettingsCipher cipher(
    SettingsCipher::CompressionMode compression, SettingsCipher::ProtectionMode protection, quint64 key = kKey)
{
    SettingsCipher result(key);
    result.setCompressionMode(compression);
    result.setProtectionMode(protection);
    return result;
}

QByteArray flipped(QByteArray data, qsizetype index, char mask = 0x10)
{
    data[index] = char(data.at(index) ^ mask);
    return data;
}

} // namespace

class TestSettingsCipher : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void decryptsFilesOfTheKnownFormat_data();
    void decryptsFilesOfTheKnownFormat();
    void randomByteChangesEveryBlockByte();
    void failures_data();
    void failures();
    void shortInputKeepsLastError();
};

void TestSettingsCipher::roundTrip_data()
{
    QTest::addColumn<SettingsCipher::CompressionMode>("compression");
    QTest::addColumn<SettingsCipher::ProtectionMode>("protection");
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<int>("flags");

    const QByteArray repetitive = kSettingsText.repeated(40);
    const QByteArray binary = QByteArray::fromHex("00ff0a3d5b5d0d00");
    using C = SettingsCipher;
    QTest::newRow("always/hash (the store)") << C::CompressionAlways << C::ProtectionHash << kSettingsText << 5;
    QTest::newRow("always/hash, empty") << C::CompressionAlways << C::ProtectionHash << QByteArray() << 5;
    QTest::newRow("always/checksum") << C::CompressionAlways << C::ProtectionChecksum << binary << 3;
    QTest::newRow("always/none") << C::CompressionAlways << C::ProtectionNone << kSettingsText << 1;
    QTest::newRow("never/hash") << C::CompressionNever << C::ProtectionHash << repetitive << 4;
    QTest::newRow("never/checksum") << C::CompressionNever << C::ProtectionChecksum << kSettingsText << 2;
    QTest::newRow("never/none") << C::CompressionNever << C::ProtectionNone << binary << 0;
    QTest::newRow("never/none, empty") << C::CompressionNever << C::ProtectionNone << QByteArray() << 0;
    QTest::newRow("auto keeps short text plain") << C::CompressionAuto << C::ProtectionChecksum << kSettingsText << 2;
    QTest::newRow("auto compresses repetitive text") << C::CompressionAuto << C::ProtectionHash << repetitive << 5;
    QTest::newRow("auto, empty stays plain") << C::CompressionAuto << C::ProtectionNone << QByteArray() << 0;
}

void TestSettingsCipher::roundTrip()
{
    QFETCH(SettingsCipher::CompressionMode, compression);
    QFETCH(SettingsCipher::ProtectionMode, protection);
    QFETCH(QByteArray, plain);
    QFETCH(int, flags);

    SettingsCipher subject = cipher(compression, protection);
    const QByteArray encrypted = subject.encrypt(plain);
    QCOMPARE(subject.lastError(), SettingsCipher::ErrorNoError);
    QCOMPARE(int(encrypted.at(0)), 3);
    QCOMPARE(int(encrypted.at(1)), flags);
    const int integritySize = (flags & 4) ? 20 : (flags & 2) ? 2 : 0;
    const qsizetype payloadSize = (flags & 1) ? qCompress(plain, 9).size() : plain.size();
    QCOMPARE(encrypted.size(), 2 + 1 + integritySize + payloadSize);

    // A second cipher with the same key and any modes reads it: the flags carry the layout.
    SettingsCipher reader = cipher(SettingsCipher::CompressionNever, SettingsCipher::ProtectionNone);
    QCOMPARE(reader.decrypt(encrypted), plain);
    QCOMPARE(reader.lastError(), SettingsCipher::ErrorNoError);
}

void TestSettingsCipher::decryptsFilesOfTheKnownFormat_data()
{
    QTest::addColumn<QByteArray>("file");

    // Written by an independent implementation of the format (tests/settings_file_format.py).
    QTest::newRow("compressed, SHA-1, random 0x5a") << QByteArray::fromHex(
        "0305aa34902e6a246ea476a842bcd6cedf70082099816233bd806f81703fb6a90a1e277d1d56140fadb8785e78b5"
        "3c444071762a03361d2162e6163423ed16");
    QTest::newRow("plain, checksum, random 0xa5")
        << QByteArray::fromHex("030255569708dce8125bc23a76ef42728cc101aad54291b2650fb54968cd1a3b868641dd");
    QTest::newRow("plain, unprotected, random 0x00")
        << QByteArray::fromHex("0300f03d65c41732d58611dafb5e89a81616b277289e6066a2f50ff8a31783ef5661");
}

void TestSettingsCipher::decryptsFilesOfTheKnownFormat()
{
    QFETCH(QByteArray, file);
    SettingsCipher subject = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionHash);
    QCOMPARE(subject.decrypt(file), kSettingsText);
    QCOMPARE(subject.lastError(), SettingsCipher::ErrorNoError);
}

void TestSettingsCipher::randomByteChangesEveryBlockByte()
{
    // The random byte opens the chain: two encryptions of the same text differ by one constant
    // value in every block byte, so a different random byte changes the whole file.
    SettingsCipher subject = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionHash);
    const QByteArray first = subject.encrypt(kSettingsText);
    QByteArray other;
    for (int attempt = 0; attempt < 64 && (other.isEmpty() || other.at(2) == first.at(2)); ++attempt)
        other = subject.encrypt(kSettingsText);
    QVERIFY2(other.at(2) != first.at(2), "64 encryptions drew the same random byte");
    QCOMPARE(other.size(), first.size());
    QCOMPARE(other.left(2), first.left(2));
    const char delta = char(first.at(2) ^ other.at(2));
    for (int i = 2; i < first.size(); ++i)
        QCOMPARE(char(first.at(i) ^ other.at(i)), delta);
}

void TestSettingsCipher::failures_data()
{
    QTest::addColumn<quint64>("key");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("warning");

    SettingsCipher hashing = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionHash);
    SettingsCipher summing = cipher(SettingsCipher::CompressionNever, SettingsCipher::ProtectionChecksum);
    SettingsCipher packing = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionNone);
    const QByteArray good = hashing.encrypt(kSettingsText);
    const QByteArray packed = packing.encrypt(kSettingsText);

    QTest::newRow("no key") << quint64(0) << good << 1 << "No key set.";
    QTest::newRow("wrong version byte") << kKey << flipped(good, 0, 0x01) << 2
                                        << "Invalid version or not a cyphertext.";
    QTest::newRow("altered byte, SHA-1") << kKey << flipped(good, good.size() / 2) << 3 << "";
    QTest::newRow("altered byte, checksum") << kKey << flipped(summing.encrypt(kSettingsText), 6) << 3 << "";
    QTest::newRow("wrong key") << (kKey ^ 0x100) << good << 3 << "";
    QTest::newRow("block too short for the SHA-1") << kKey << good.left(2 + 1 + 19) << 3 << "";
    QTest::newRow("block too short for the checksum") << kKey << summing.encrypt(kSettingsText).left(4) << 3 << "";
    QTest::newRow("damaged compressed stream, unprotected")
        << kKey << flipped(packed, packed.size() - 3, 0x55) << 3 << "";
}

void TestSettingsCipher::failures()
{
    QFETCH(quint64, key);
    QFETCH(QByteArray, input);
    QFETCH(int, error);
    QFETCH(QString, warning);

    vk_testing::LogCapture capture;
    SettingsCipher subject = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionHash, key);
    QCOMPARE(subject.decrypt(input), QByteArray());
    QCOMPARE(int(subject.lastError()), error);
    if (!warning.isEmpty()) {
        QCOMPARE(capture.entries().size(), 1);
        QCOMPARE(capture.entries().first().type, QtWarningMsg);
        QCOMPARE(capture.entries().first().text, warning);
    }
    if (key == 0) {
        QCOMPARE(subject.encrypt(kSettingsText), QByteArray());
        QCOMPARE(subject.lastError(), SettingsCipher::ErrorNoKeySet);
    }
}

void TestSettingsCipher::shortInputKeepsLastError()
{
    SettingsCipher subject = cipher(SettingsCipher::CompressionAlways, SettingsCipher::ProtectionHash);
    QTest::ignoreMessage(QtWarningMsg, "Invalid version or not a cyphertext.");
    subject.decrypt(QByteArrayLiteral("\x07\x05\x00\x00"));
    QCOMPARE(subject.lastError(), SettingsCipher::ErrorUnknownVersion);
    QCOMPARE(subject.decrypt(QByteArrayLiteral("\x03\x05")), QByteArray());
    QCOMPARE(subject.lastError(), SettingsCipher::ErrorUnknownVersion);

    QVERIFY(!subject.encrypt(kSettingsText).isEmpty());
    QCOMPARE(subject.decrypt(QByteArray()), QByteArray());
    QCOMPARE(subject.lastError(), SettingsCipher::ErrorNoError);
}

QTEST_GUILESS_MAIN(TestSettingsCipher)
#include "tst_settings_cipher.moc"
