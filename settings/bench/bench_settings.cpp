// Cost of the settings file operations: the cipher alone, and a change as the store does it
// (encode, encrypt, write beside the old file, replace it).
#include "settings/encrypted_settings.h"
#include "settings/settings_cipher.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr quint64 kKey = Q_UINT64_C(0x3D8E51A7C42B96F0);

// The application's six settings as the file holds them.
const QByteArray kSettingsText
    = QByteArrayLiteral("[setting]\napp0=0\napp1=TStrNzM5MQA\napp2=0\napp3=7\napp4=TStrc2VydmVyX2FkZHJlc3M\napp5=1\n");

void encryptSettings(benchmark::State &state)
{
    settings::SettingsCipher cipher = settings::SettingsCipher::forStore(kKey);
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.encrypt(kSettingsText));
}
BENCHMARK(encryptSettings);

void decryptSettings(benchmark::State &state)
{
    settings::SettingsCipher cipher = settings::SettingsCipher::forStore(kKey);
    const QByteArray file = cipher.encrypt(kSettingsText);
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.decrypt(file));
}
BENCHMARK(decryptSettings);

void setValueAndSave(benchmark::State &state)
{
    QTemporaryDir dir;
    EncryptedSettings *store = EncryptedSettings::createInstance(dir.filePath(QStringLiteral("s.cfg")), kKey);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    for (int id = 0; id < 6; ++id)
        store->setValue(QStringLiteral("setting/app%1").arg(id), id);
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->setValue(QStringLiteral("setting/app1"), QString::number(++n)));
    EncryptedSettings::destroyInstance();
    qInstallMessageHandler(nullptr);
}
BENCHMARK(setValueAndSave)->Unit(benchmark::kMicrosecond);

void readValue(benchmark::State &state)
{
    QTemporaryDir dir;
    EncryptedSettings *store = EncryptedSettings::createInstance(dir.filePath(QStringLiteral("s.cfg")), kKey);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391"));
    const QString key = QStringLiteral("setting/app1");
    for (auto _ : state)
        benchmark::DoNotOptimize(store->value(key));
    EncryptedSettings::destroyInstance();
    qInstallMessageHandler(nullptr);
}
BENCHMARK(readValue);

} // namespace

BENCHMARK_MAIN();
