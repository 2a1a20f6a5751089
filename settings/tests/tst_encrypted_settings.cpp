#include "settings/encrypted_settings.h"
#include "settings/settings_cipher.h"
#include "testing/log_capture.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

using settings::SettingsCipher;

namespace {

constexpr quint64 kKey = Q_UINT64_C(0x3D8E51A7C42B96F0);

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The plain text of a settings file, read with a cipher of its own.
QByteArray plainText(const QString &path)
{
    SettingsCipher cipher(kKey);
    const QByteArray text = cipher.decrypt(readFile(path));
    return cipher.lastError() == SettingsCipher::ErrorNoError ? text : QByteArrayLiteral("<undecryptable>");
}

QByteArray encrypted(const QByteArray &text)
{
    return SettingsCipher::forStore(kKey).encrypt(text);
}

// Lowers the size limit of files this process writes; writes beyond it fail (EFBIG).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_ok = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class TestEncryptedSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createRejectsMissingArguments_data();
    void createRejectsMissingArguments();
    void singletonLifecycle();
    void storesStringsEncoded();
    void stringsSurviveRestart_data();
    void stringsSurviveRestart();
    void otherValuesComeBackAsText_data();
    void otherValuesComeBackAsText();
    void onlyKeysInsideGroupsReachTheFile();
    void readsLinesAsWritten();
    void everySaveGivesADifferentFile();
    void unreadableFileGivesEmptyStore_data();
    void unreadableFileGivesEmptyStore();
    void everyAlteredByteLoadsNothing();
    void loadingOpensTheFileReadOnly();
    void failedSaveKeepsPreviousFile();
    void unwritablePathIsReported();
    void createsMissingFolder();
    void readersAndWritersInParallel();

private:
    EncryptedSettings *restart();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestEncryptedSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("appSettingsVorlexIoTConfigurator.cfg"));
}

void TestEncryptedSettings::cleanup()
{
    EncryptedSettings::destroyInstance();
    m_dir.reset();
}

EncryptedSettings *TestEncryptedSettings::restart()
{
    EncryptedSettings::destroyInstance();
    return EncryptedSettings::createInstance(m_path, kKey);
}

void TestEncryptedSettings::createRejectsMissingArguments_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<quint64>("key");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty file name") << QString() << kKey << QStringList { "ERROR:Invalid fileName" };
    QTest::newRow("zero key") << "x.cfg" << quint64(0) << QStringList { "ERROR: Invalid secureKey" };
    QTest::newRow("both") << QString() << quint64(0)
                          << QStringList { "ERROR:Invalid fileName", "ERROR: Invalid secureKey" };
}

void TestEncryptedSettings::createRejectsMissingArguments()
{
    QFETCH(QString, fileName);
    QFETCH(quint64, key);
    QFETCH(QStringList, lines);

    vk_testing::LogCapture capture;
    QCOMPARE(EncryptedSettings::createInstance(fileName, key), nullptr);
    QCOMPARE(EncryptedSettings::instance(), nullptr);
    QCOMPARE(capture.texts(), lines);
    for (const auto &entry : capture.entries())
        QCOMPARE(entry.type, QtDebugMsg);
}

void TestEncryptedSettings::singletonLifecycle()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(EncryptedSettings::instance(), store);
    QCOMPARE(store->fileName(), m_path);
    QCOMPARE(EncryptedSettings::createInstance(m_dir->filePath(QStringLiteral("other.cfg")), 5), store);
    QCOMPARE(store->fileName(), m_path);

    EncryptedSettings::destroyInstance();
    QCOMPARE(EncryptedSettings::instance(), nullptr);
    EncryptedSettings::destroyInstance();
    QVERIFY(!QFile::exists(m_path)); // nothing is saved without a change
}

void TestEncryptedSettings::storesStringsEncoded()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    vk_testing::LogCapture capture;
    QCOMPARE(store->setValue(QStringLiteral("setting/app1"), QStringLiteral("abc")), ReturnCode::Ok);
    QCOMPARE(capture.texts(), QStringList { QStringLiteral("Store setting:  \"TStrYWJj\"") });
    QCOMPARE(plainText(m_path), QByteArrayLiteral("[setting]\napp1=TStrYWJj\n"));
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("abc")));
}

void TestEncryptedSettings::stringsSurviveRestart_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << QStringLiteral("7391");
    QTest::newRow("equals signs") << QStringLiteral("a=b=c");
    QTest::newRow("line breaks") << QStringLiteral("line\nbreak\r\n");
    QTest::newRow("brackets") << QStringLiteral("[setting]");
    QTest::newRow("empty") << QString();
    QTest::newRow("NUL inside") << QString::fromUtf8("7391\0", 5);
    QTest::newRow("non-ASCII") << QString::fromUtf8("Пароль ✓ 🔑");
    QTest::newRow("looks encoded") << QStringLiteral("TStrYWJj");
    QTest::newRow("long") << QStringLiteral("server_address/").repeated(20);
}

void TestEncryptedSettings::stringsSurviveRestart()
{
    QFETCH(QString, text);
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app4"), text), ReturnCode::Ok);
    QCOMPARE(store->value(QStringLiteral("setting/app4")), QVariant(text));

    const QList<QByteArray> lines = plainText(m_path).split('\n');
    QCOMPARE(lines.size(), 3); // group line, key line, nothing after the last "\n"
    QVERIFY2(lines.at(1).startsWith("app4=TStr"), lines.at(1).constData());

    store = restart();
    QVERIFY(store);
    QCOMPARE(store->value(QStringLiteral("setting/app4")), QVariant(text));
}

void TestEncryptedSettings::otherValuesComeBackAsText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("reloaded");

    QTest::newRow("int") << QVariant(7) << QVariant(QStringLiteral("7"));
    QTest::newRow("negative int") << QVariant(-30) << QVariant(QStringLiteral("-30"));
    QTest::newRow("bool") << QVariant(true) << QVariant(QStringLiteral("true"));
    QTest::newRow("double") << QVariant(1.5) << QVariant(QStringLiteral("1.5"));
    // Not a string, so not encoded: its text holds "=" and the line is dropped on load.
    QTest::newRow("byte array with =") << QVariant(QByteArrayLiteral("a=b")) << QVariant();
}

void TestEncryptedSettings::otherValuesComeBackAsText()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, reloaded);

    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app3"), value), ReturnCode::Ok);
    QCOMPARE(store->value(QStringLiteral("setting/app3")), value); // unchanged in memory
    QCOMPARE(store->setValue(QStringLiteral("setting/app9"), QStringLiteral("kept")), ReturnCode::Ok);

    vk_testing::LogCapture capture;
    store = restart();
    QCOMPARE(store->value(QStringLiteral("setting/app3")), reloaded);
    QCOMPARE(store->value(QStringLiteral("setting/app9")), QVariant(QStringLiteral("kept")));
    QCOMPARE(
        capture.count(QStringLiteral("ERROR: Invalid size of input line with value!")), reloaded.isValid() ? 0 : 1);
}

void TestEncryptedSettings::onlyKeysInsideGroupsReachTheFile()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    store->setValue(QStringLiteral("setting/app0"), 0);
    store->setValue(QStringLiteral("loose"), QStringLiteral("top level"));
    store->setValue(QStringLiteral("deep/sub/key"), 1);
    store->setValue(QStringLiteral("another/app1"), QStringLiteral("x"));

    QCOMPARE(store->value(QStringLiteral("loose")), QVariant(QStringLiteral("top level")));
    QCOMPARE(store->value(QStringLiteral("deep/sub/key")), QVariant(1));
    QCOMPARE(plainText(m_path), QByteArrayLiteral("[another]\napp1=TStreA\n[deep]\n[setting]\napp0=0\n"));

    store = restart();
    QCOMPARE(store->value(QStringLiteral("loose"), QStringLiteral("default")), QVariant(QStringLiteral("default")));
    QCOMPARE(store->value(QStringLiteral("deep/sub/key")), QVariant());
    QCOMPARE(store->value(QStringLiteral("another/app1")), QVariant(QStringLiteral("x")));
    QCOMPARE(store->value(QStringLiteral("setting/app0")), QVariant(QStringLiteral("0")));
}

void TestEncryptedSettings::readsLinesAsWritten()
{
    // Files may come from elsewhere: key lines before any group, brackets inside group names,
    // lines that do not split into one key and one value.
    QVERIFY(writeFile(m_path,
        encrypted("loose=1\n"
                  "[we[ir]d]\n"
                  "k=v\n"
                  "no value\n"
                  "a=b=c\n"
                  "=nameless\n"
                  "[]\n"
                  "top=2\n"
                  "[setting]\n"
                  "app1=TStrNzM5MQ\n"
                  "app3=\n")));
    vk_testing::LogCapture capture;
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(capture.count(QStringLiteral("ERROR: Invalid size of input line with value!")), 3);
    QCOMPARE(store->value(QStringLiteral("loose")), QVariant(QStringLiteral("1")));
    QCOMPARE(store->value(QStringLiteral("weird/k")), QVariant(QStringLiteral("v")));
    QCOMPARE(store->value(QStringLiteral("we[ir]d/k")), QVariant());
    QCOMPARE(store->value(QStringLiteral("weird/a")), QVariant());
    QCOMPARE(store->value(QStringLiteral("top")), QVariant(QStringLiteral("2")));
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("7391")));
    QCOMPARE(store->value(QStringLiteral("setting/app3"), 7), QVariant(QString()));

    // A group name with brackets written by the store itself loses them on reload.
    store->setValue(QStringLiteral("[x]y/k"), QStringLiteral("w"));
    store = restart();
    QCOMPARE(store->value(QStringLiteral("xy/k")), QVariant(QStringLiteral("w")));
}

void TestEncryptedSettings::everySaveGivesADifferentFile()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391"));
    QSet<QByteArray> files;
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(store->saveToFile(), ReturnCode::Ok);
        files.insert(readFile(m_path));
        QCOMPARE(plainText(m_path), QByteArrayLiteral("[setting]\napp1=TStrNzM5MQ\n"));
    }
    // One random byte per save: 16 saves all alike would be a 1 in 256^15 event.
    QVERIFY2(files.size() > 1, "every save wrote the same bytes");
}

void TestEncryptedSettings::unreadableFileGivesEmptyStore_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QByteArray wrongVersion = encrypted("[setting]\napp1=1\n");
    wrongVersion[0] = 4;
    QTest::newRow("wrong version byte") << wrongVersion
                                        << QStringList { "Invalid version or not a cyphertext.",
                                               "ERROR: Error while decrypt 2" };
    QTest::newRow("text file") << QByteArrayLiteral("[setting]\napp1=1\n")
                               << QStringList { "Invalid version or not a cyphertext.",
                                      "ERROR: Error while decrypt 2" };
    // An empty file is what an interrupted save of earlier versions left behind.
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("header only") << QByteArrayLiteral("\x03\x05") << QStringList();
    QTest::newRow("truncated") << encrypted("[setting]\napp1=1\n").left(20)
                               << QStringList { "ERROR: Error while decrypt 3" };
}

void TestEncryptedSettings::unreadableFileGivesEmptyStore()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QVERIFY(writeFile(m_path, bytes));
    vk_testing::LogCapture capture;
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(capture.texts(), lines);
    QCOMPARE(store->value(QStringLiteral("setting/app1"), 9), QVariant(9));

    // The store stays usable and the next change replaces the file.
    QCOMPARE(store->setValue(QStringLiteral("setting/app2"), 0), ReturnCode::Ok);
    QCOMPARE(plainText(m_path), QByteArrayLiteral("[setting]\napp2=0\n"));
}

void TestEncryptedSettings::everyAlteredByteLoadsNothing()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    store->setValue(QStringLiteral("setting/app0"), 1);
    store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391"));
    EncryptedSettings::destroyInstance();
    const QByteArray good = readFile(m_path);
    QVERIFY(good.size() > 2 + 1 + 20);

    for (qsizetype i = 2; i < good.size(); ++i) {
        QByteArray altered = good;
        altered[i] = char(altered.at(i) ^ (1 << (i % 8)));
        QVERIFY(writeFile(m_path, altered));
        vk_testing::LogCapture capture;
        store = restart();
        QVERIFY(store);
        QVERIFY2(capture.texts() == QStringList { QStringLiteral("ERROR: Error while decrypt 3") },
            qPrintable(QStringLiteral("byte %1: %2").arg(i).arg(capture.texts().join(QLatin1Char('|')))));
        QCOMPARE(store->value(QStringLiteral("setting/app0")), QVariant());
        QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant());
    }
}

void TestEncryptedSettings::loadingOpensTheFileReadOnly()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391"));
    EncryptedSettings::destroyInstance();
    QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner));

#ifdef Q_OS_LINUX
    // Permissions do not stop root, so watch how the file is opened: closing a file that was
    // opened for writing raises IN_CLOSE_WRITE even when nothing was written.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(m_path).constData(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0);
#endif

    store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("7391")));

#ifdef Q_OS_LINUX
    alignas(inotify_event) char buffer[4096];
    int closedAfterReading = 0;
    int closedAfterWriting = 0;
    const ssize_t size = read(watch, buffer, sizeof buffer);
    for (ssize_t offset = 0; offset < size;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
        closedAfterReading += (event->mask & IN_CLOSE_NOWRITE) ? 1 : 0;
        closedAfterWriting += (event->mask & IN_CLOSE_WRITE) ? 1 : 0;
        offset += ssize_t(sizeof(inotify_event)) + event->len;
    }
    close(watch);
    QCOMPARE(closedAfterWriting, 0);
    QVERIFY(closedAfterReading >= 1);
#endif
}

void TestEncryptedSettings::failedSaveKeepsPreviousFile()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391")), ReturnCode::Ok);
    const QByteArray before = readFile(m_path);

    {
        // Like a full disk: the new file cannot be written past its first bytes.
        vk_testing::LogCapture capture;
        FileSizeLimit limit(8);
        QVERIFY(limit.ok());
        QCOMPARE(store->setValue(QStringLiteral("setting/app1"), QStringLiteral("1234")), ReturnCode::ErrAccessDenied);
        QCOMPARE(capture.count(QStringLiteral("ERROR: Settings file is not written!")), 1);
    }
    QCOMPARE(readFile(m_path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList { QFileInfo(m_path).fileName() });
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("1234"))); // memory has it

    store = restart();
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("7391")));
}

void TestEncryptedSettings::unwritablePathIsReported()
{
    // A folder where the file should be: neither readable nor writable as a file, by anyone.
    QVERIFY(QDir().mkpath(m_path));
    vk_testing::LogCapture capture;
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(capture.texts(), QStringList { QStringLiteral("ERROR: Source file is not opened!") });
    capture.clear();
    QCOMPARE(store->saveToFile(), ReturnCode::ErrAccessDenied);
    QCOMPARE(capture.texts(), QStringList { QStringLiteral("ERROR: Source file is not opened!") });
    QVERIFY(QFileInfo(m_path).isDir());
}

void TestEncryptedSettings::createsMissingFolder()
{
    m_path = m_dir->filePath(QStringLiteral("fresh/config/appSettingsVorlexIoTConfigurator.cfg"));
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app0"), 1), ReturnCode::Ok);
    QCOMPARE(plainText(m_path), QByteArrayLiteral("[setting]\napp0=1\n"));
}

void TestEncryptedSettings::readersAndWritersInParallel()
{
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    vk_testing::LogCapture quiet; // keeps the "Store setting:" lines out of the test output

    constexpr int kWrites = 60;
    const QStringList keys = { QStringLiteral("setting/app1"), QStringLiteral("setting/app4") };
    std::atomic<bool> writing { true };
    QMutex failureMutex;
    QStringList failures;
    auto fail = [&](const QString &text) {
        QMutexLocker lock(&failureMutex);
        failures << text;
    };

    // Each writer owns one key and counts up through "<n>"; each reader must see every key's
    // number never go backwards, and only whole values. (std::thread: its join is visible to
    // ThreadSanitizer, QThread::wait is not.)
    std::vector<std::thread> writers;
    for (const QString &key : keys) {
        writers.emplace_back([store, key, &fail] {
            for (int n = 1; n <= kWrites; ++n) {
                if (store->setValue(key, QString::number(n)) != ReturnCode::Ok)
                    fail(QStringLiteral("save failed"));
            }
        });
    }
    std::vector<std::thread> readers;
    for (int reader = 0; reader < 4; ++reader) {
        readers.emplace_back([store, keys, &writing, &fail] {
            QList<int> last(keys.size(), 0);
            do {
                for (int k = 0; k < keys.size(); ++k) {
                    const QVariant value = store->value(keys.at(k), QStringLiteral("0"));
                    bool ok = false;
                    const int n = value.toString().toInt(&ok);
                    if (value.typeId() != QMetaType::QString || !ok || n < last.at(k) || n > kWrites)
                        fail(QStringLiteral("%1 read %2 after %3").arg(keys.at(k), value.toString()).arg(last.at(k)));
                    last[k] = n;
                }
            } while (writing.load());
        });
    }
    for (auto &thread : writers)
        thread.join();
    writing = false;
    for (auto &thread : readers)
        thread.join();

    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 5).join(QLatin1Char('\n'))));
    // Every save held all changes made before it: the last file has both writers' last values.
    store = restart();
    for (const QString &key : keys)
        QCOMPARE(store->value(key), QVariant(QString::number(kWrites)));
}

QTEST_GUILESS_MAIN(TestEncryptedSettings)
#include "tst_encrypted_settings.moc"
