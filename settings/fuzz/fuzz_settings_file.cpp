// Fuzz target for the settings file: the bytes go through the cipher as a file would, and through
// the plain-text reader as a decrypted file would. What the reader keeps must come back unchanged
// after writing it out and reading it again.
#include "settings/settings_cipher.h"
#include "settings/settings_text_format.h"

#include <QSettings>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QSettings> memoryStore(const QString &name)
{
    auto store = std::make_unique<QSettings>(QStringLiteral(":/") + name, QSettings::IniFormat);
    store->moveToThread(nullptr);
    return store;
}

// Keys that lie directly inside a top-level group: the ones the file keeps.
QStringList fileKeys(const QSettings &store)
{
    QStringList keys;
    for (const QString &key : store.allKeys()) {
        if (key.count(QLatin1Char('/')) == 1)
            keys << key;
    }
    return keys;
}

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "settings file fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return true;
    }();
    Q_UNUSED(quiet);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // As a file. The compression flag is cleared: qUncompress reserves the length its header
    // declares (up to 4 GiB) before inflating, which is Qt's behaviour and not ours to fuzz.
    QByteArray file = bytes;
    if (file.size() > 1)
        file[1] = char(file.at(1) & ~settings::SettingsCipher::kFlagCompressed);
    settings::SettingsCipher cipher(Q_UINT64_C(0x3D8E51A7C42B96F0));
    const QByteArray plain = cipher.decrypt(file);
    check(plain.isEmpty() || cipher.lastError() == settings::SettingsCipher::ErrorNoError, "data with an error");

    // As plain text: read, write, read again.
    auto first = memoryStore(QStringLiteral("fuzz-first.cfg"));
    settings::SettingsTextFormat::read(bytes, *first);
    const QByteArray written = settings::SettingsTextFormat::write(*first);
    auto second = memoryStore(QStringLiteral("fuzz-second.cfg"));
    settings::SettingsTextFormat::read(written, *second);

    const QStringList kept = fileKeys(*first);
    check(second->allKeys() == kept, "the keys changed on the way through the file");
    for (const QString &key : kept)
        check(second->value(key) == first->value(key), "a value changed on the way through the file");

    // And the whole text through the cipher.
    cipher.setCompressionMode(settings::SettingsCipher::CompressionAlways);
    cipher.setProtectionMode(settings::SettingsCipher::ProtectionHash);
    check(cipher.decrypt(cipher.encrypt(written)) == written, "cipher round trip");
    return 0;
}
