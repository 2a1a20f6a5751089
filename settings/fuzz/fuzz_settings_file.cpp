// Fuzz target for the settings file: the bytes go through the cipher as a file would, and through
// the plain-text reader as a decrypted file would. Writing what was read may lose what the format
// cannot hold (top-level keys, subgroups, brackets in group names, a key that reads back as a
// group line), but repeated writing and reading must settle on a text that reads back unchanged.
#include "settings/settings_cipher.h"
#include "settings/settings_text_format.h"
#include "testing/fuzz_support.h"

#include <QSettings>

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vk_testing::silenceLogs();
    const QByteArray bytes = vk_testing::bytesOf(data, size);

    // As a file. The compression flag is cleared: qUncompress reserves the length its header
    // declares (up to 4 GiB) before inflating, which is Qt's behaviour and not ours to fuzz.
    QByteArray file = bytes;
    if (file.size() > 1)
        file[1] = char(file.at(1) & ~settings::SettingsCipher::kFlagCompressed);
    settings::SettingsCipher cipher(Q_UINT64_C(0x3D8E51A7C42B96F0));
    const QByteArray plain = cipher.decrypt(file);
    vk_testing::require(
        plain.isEmpty() || cipher.lastError() == settings::SettingsCipher::ErrorNoError, "data with an error");

    // As plain text: read and write until the text no longer changes.
    QByteArray text = bytes;
    QByteArray written;
    bool settled = false;
    for (int round = 0; round < 8 && !settled; ++round) {
        auto store = settings::SettingsTextFormat::memoryStore(QStringLiteral("fuzz-%1.cfg").arg(round));
        settings::SettingsTextFormat::read(text, *store);
        written = settings::SettingsTextFormat::write(*store);
        settled = written == text;
        text = written;
    }
    vk_testing::require(settled, "the text did not settle after 8 rounds of writing and reading");

    // And the whole text through the cipher.
    settings::SettingsCipher storeCipher = settings::SettingsCipher::forStore(Q_UINT64_C(0x3D8E51A7C42B96F0));
    vk_testing::require(storeCipher.decrypt(storeCipher.encrypt(written)) == written, "cipher round trip");
    return 0;
}
