#include "configurator/work_folders.h"

#include <QDebug>
#include <QDir>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace configurator {

namespace {

constexpr int kMaxNameLength = 64;

QMutex &baseMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &testBase()
{
    static QString path;
    return path;
}

} // namespace

QString WorkFolders::base()
{
    {
        QMutexLocker lock(&baseMutex());
        if (!testBase().isEmpty())
            return testBase();
    }
    static const QString platformBase
        = QStandardPaths::standardLocations(QStandardPaths::AppLocalDataLocation).value(0);
    return platformBase;
}

QString WorkFolders::rawFiles()
{
    return base() + QStringLiteral("/") + QStringLiteral("rawFiles");
}

QString WorkFolders::firmware()
{
    return base() + QStringLiteral("/") + QStringLiteral("firmware/custom");
}

QString WorkFolders::reports()
{
    return QStringLiteral("%1/shared_files").arg(base());
}

bool WorkFolders::ensure(const QString &path)
{
    if (QDir(path).exists())
        return true;
    if (QDir().mkpath(path)) {
        qDebug() << "Created Documents Location work directory. " << path;
        return true;
    }
    qWarning() << "Failed to create Documents Location work directory. " << path;
    return false;
}

bool WorkFolders::writeWhole(const QString &path, const QByteArray &bytes, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void WorkFolders::setBaseForTesting(const QString &path)
{
    QMutexLocker lock(&baseMutex());
    testBase() = path;
}

QString safeFileNamePart(const QString &text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c) || c.category() == QChar::Other_Format)
            safe.append(QLatin1Char('_'));
        else
            safe.append(c);
    }
    // No leading dots (hidden files, "..") and no trailing dots or blanks (dropped by Windows).
    while (safe.startsWith(QLatin1Char('.')) || safe.startsWith(QLatin1Char(' ')))
        safe.remove(0, 1);
    while (safe.endsWith(QLatin1Char('.')) || safe.endsWith(QLatin1Char(' ')))
        safe.chop(1);
    safe = safe.left(kMaxNameLength);
    // A name Windows keeps for a device is never used alone.
    static const QStringList reserved = { QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
        QStringLiteral("NUL"), QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
        QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"),
        QStringLiteral("COM8"), QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"),
        QStringLiteral("LPT7"), QStringLiteral("LPT8"), QStringLiteral("LPT9") };
    const QString stem = safe.section(QLatin1Char('.'), 0, 0).trimmed();
    if (reserved.contains(stem, Qt::CaseInsensitive))
        safe.prepend(QLatin1Char('_'));
    return safe.isEmpty() ? QStringLiteral("file") : safe;
}

QString rawFileName(quint64 serial, int fileId, const QString &deviceFileName)
{
    QString name = deviceFileName;
    name.remove(QChar(u'\0'));
    return QStringLiteral("SN%1-ID%2-%3.%4")
        .arg(serial)
        .arg(fileId, 3, 10, QLatin1Char('0'))
        .arg(safeFileNamePart(name), QStringLiteral("bin"));
}

} // namespace configurator
