// Device files, firmware files and the state copy of the application core.
#include "configurator/app_settings.h"
#include "configurator/application_task.h"
#include "configurator/gui_qml_handler.h"
#include "configurator/state_copy_report.h"
#include "configurator/work_folders.h"

#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace configurator {

namespace {

constexpr QFileDevice::Permissions kFolderPermissions = QFileDevice::Permissions(0x7055);
constexpr QFileDevice::Permissions kCopyPermissions = QFileDevice::Permissions(0x600);
// No field device takes an image anywhere near this size; a larger file is not a firmware image.
constexpr qint64 kMaxFirmwareImageSize = 16 * 1024 * 1024;

// A local-file URL as a path; anything else unchanged.
QString localPath(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    if (url.isValid() && url.isLocalFile())
        return url.toLocalFile();
    return pathOrUrl;
}

void openWithDesktop(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

// Raw device files.

void GuiQmlHandler::saveRawFile(quint8 fileId, const QByteArray &bytes)
{
    const QString dir = WorkFolders::rawFiles();
    if (!QDir(dir).exists() && !WorkFolders::ensure(dir)) {
        qDebug() << "Unable to create path<" << dir << ">";
        failAction(Outcome::FileError, tr("Unable to create dirrectory<") + dir + QStringLiteral(">!"));
        showWarning(tr("Warning"), tr("Unable to create dirrectory<") + dir + QStringLiteral(">!"));
        return;
    }
    if (!QFile::setPermissions(dir, kFolderPermissions)) {
        qDebug() << "Invalid to set permissions for <" << dir << ">";
        failAction(Outcome::FileError, tr("Unable to save the file: no access to <%1>").arg(dir));
        showWarning(tr("Warning"), tr("Unable to save the file: no access to <%1>").arg(dir));
        return;
    }
    const VkFileInfoElement *element = _fileElements.value(fileId);
    if (!element) {
        qDebug() << "Invalid fileId: " << fileId;
        failAction(Outcome::NotFound, QString());
        return;
    }
    const QString path
        = dir + QLatin1Char('/') + rawFileName(_currentDevice.deviceInfo.Serial, fileId, element->fileName());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug() << "Invalid to open file for write <" << path << ">, err:" << file.errorString();
        reportUnsavedFile(path, file.errorString());
        return;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        qWarning() << "Invalid file <" << path << "> write: " << written
                   << " bytes written, overall size: " << bytes.size() << ", err: " << file.errorString();
        reportUnsavedFile(path, file.errorString());
        file.close();
        return;
    }
    if (!file.flush()) {
        qDebug() << "Invalid file <" << path << "> flush! Err: " << file.errorString();
        reportUnsavedFile(path, file.errorString());
        file.close();
        return;
    }
    file.close();
    const QString saved = QStringLiteral("RawFile [ID%1] saved<%2>").arg(fileId).arg(path);
    qDebug().noquote() << saved;
    appendDebugText(saved + QLatin1Char('\n'));
    achieveAction(UserAction::ReadFile);
    openWithDesktop(path);
}

void GuiQmlHandler::reportUnsavedFile(const QString &path, const QString &reason)
{
    const QString text = tr("Unable to save the file <%1>: %2").arg(path, reason);
    failAction(Outcome::FileError, text);
    showWarning(tr("Warning"), text);
}

// Firmware files.

void GuiQmlHandler::updateFirmwareRefreshLocalFiles()
{
    emit appCoreClearFirmwareLocalFiles();
    const QDir dir(WorkFolders::firmware());
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Time);
    for (const QFileInfo &info : files)
        emit appCoreAddFirmwareLocalFile(
            info.fileName(), QString(), info.lastModified().toString(), info.canonicalFilePath());
}

void GuiQmlHandler::removeFirmwareFile(QString filePath)
{
    const QFileInfo info(localPath(filePath));
    const QString name = info.fileName();
    // Only copies the program keeps are removed, never a file elsewhere.
    const QString folder = QFileInfo(WorkFolders::firmware()).canonicalFilePath();
    const bool ours = !folder.isEmpty() && info.exists() && info.canonicalPath() == folder;
    if (ours && QFile::remove(info.absoluteFilePath())) {
        publishDebug(QStringLiteral("Info"), QStringLiteral("Removed firmware file [") + name + QLatin1Char(']'));
        updateFirmwareRefreshLocalFiles();
        return;
    }
    publishDebug(
        QStringLiteral("Warning"), QStringLiteral("Errors while removing firmware file [") + name + QLatin1Char(']'));
}

void GuiQmlHandler::appCoreProcessFileWithFirmware(QString file)
{
    _processReceivedFile(file);
}

void GuiQmlHandler::_processReceivedFile(QString filePath)
{
    const QString path = localPath(filePath);
    const QFileInfo source(path);
    if (!source.exists()) {
        publishDebug(QStringLiteral("Debug"), QStringLiteral("Received file not existed<") + path + QLatin1Char('>'));
        return;
    }
    if (source.fileName().section(QLatin1Char('.'), -1) != QStringLiteral("bin") || !source.fileName().contains('.')) {
        showWarning(tr("Info"), tr("Received unsupported firmware file <%1>").arg(path));
        return;
    }
    const QString folder = WorkFolders::firmware();
    WorkFolders::ensure(folder);
    const QString destination = QStringLiteral("%1/%2").arg(folder, source.fileName());
    if (QFileInfo(destination).canonicalFilePath() == source.canonicalFilePath()) {
        // Already our copy.
    } else {
        if (QFile::exists(destination)) {
            QFile old(destination);
            if (!old.remove()) {
                publishDebug(QStringLiteral("Debug"),
                    QStringLiteral("Unable to remove file <") + destination + QStringLiteral(">, err:")
                        + old.errorString());
                return;
            }
        }
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly)) {
            publishDebug(QStringLiteral("Debug"),
                QStringLiteral("Unable to open file<") + path + QStringLiteral(">, err:") + input.errorString());
            return;
        }
        input.close();
        if (!input.copy(destination)) {
            publishDebug(QStringLiteral("Debug"),
                QStringLiteral("Unable to copy file<") + path + QStringLiteral("> to <") + destination
                    + QStringLiteral(">, err:") + input.errorString());
            return;
        }
        if (!QFile::setPermissions(destination, kCopyPermissions))
            qDebug() << "cannot set Permissions to read / write settings for " << destination;
    }
    publishDebug(QStringLiteral("Info"),
        QStringLiteral("Received and copy file from <") + path + QStringLiteral("> to <") + destination
            + QLatin1Char('>'));
    emit appCoreAddFirmwareLocalFile(source.fileName(), QString(), source.lastModified().toString(), destination);
    if (AppSettings::startUpdateAfterReceive()) {
        emit appCoreCheckStartFirmwareUpdate(source.fileName(), QString(), destination);
        publishDebug(QStringLiteral("Debug"),
            QStringLiteral("file <") + destination + QStringLiteral("> may be selected for firmware update?"));
    } else {
        showNotice(
            tr("Info"), tr("Firmware file (%1) received. Choose it later for firmware update").arg(source.fileName()));
    }
}

void GuiQmlHandler::updateFirmwareFileSelected(QString filePath)
{
    beginAction(UserAction::FirmwareUpdate);
    publishDebug(QStringLiteral("Debug"), QStringLiteral("Receive file<") + filePath + QLatin1Char('>'));
    const QString path = localPath(filePath);
    qDebug() << "Start to firmware update with file: " << path;
    if (!QFileInfo::exists(path)) {
        publishDebug(QStringLiteral("Debug"), QStringLiteral("File not exists<") + path + QLatin1Char('>'));
        failAction(Outcome::UnreadableFile, tr("The firmware file <%1> does not exist").arg(path));
        return;
    }
    publishDebug(QStringLiteral("Debug"), QStringLiteral("File existed<") + path + QLatin1Char('>'));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportUnreadableFirmware(file);
        return;
    }
    file.close();
    _firmwareFilePath = path;
    if (!_connected)
        _appendTask(MakeBleDiscoveryForFirmwareUpdate, {});
    else if (applicationType() == 1)
        _bootToBootloaderForFirmwareUpdate();
    else
        _appendTask(SendFirmwareRawFile, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::reportUnreadableFirmware(const QFile &file)
{
    const QString text = tr("Unable to open selected file with firmware - permission error.\nTry to copy this file "
                            "to common folder and repeat");
    failAction(Outcome::UnreadableFile, text);
    publishError(tr("Error"), text);
    qDebug() << "Unable to open file<" << file.fileName() << ">, err:" << file.errorString();
}

bool GuiQmlHandler::readFirmwareImage(QByteArray &image)
{
    QFile file(_firmwareFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        reportUnreadableFirmware(file);
        return false;
    }
    // The size is checked before anything is read: a wrong file is not taken into memory whole.
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxFirmwareImageSize) {
        const QString text = size <= 0
            ? tr("The selected firmware file <%1> is empty").arg(_firmwareFilePath)
            : tr("The selected firmware file <%1> has %2 bytes: no device takes an image larger than %3 bytes")
                  .arg(_firmwareFilePath)
                  .arg(size)
                  .arg(kMaxFirmwareImageSize);
        failAction(Outcome::UnreadableFile, text);
        publishError(tr("Error"), text);
        return false;
    }
    image = file.readAll();
    if (image.size() != size) {
        const QString text = tr("Unable to read the selected firmware file <%1>").arg(_firmwareFilePath);
        failAction(Outcome::UnreadableFile, text);
        publishError(tr("Error"), text);
        return false;
    }
    return true;
}

// State copy.

void GuiQmlHandler::makeStateCopy(const v_protocol::TFileWithDataElements &deviceSettings)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString folder = WorkFolders::reports();
    WorkFolders::ensure(folder);
    const QString path = StateCopyReport::filePath(folder, _currentDevice.deviceInfo, now);
    const QList<StateCopyRow> rows = StateCopyReport::rows(_interfaceElements, _connected, deviceSettings);
    const QString html
        = StateCopyReport::html(
        _currentDevice.deviceInfo, _authResponse, rows, _debugConsole.fullText(), now, _sessionChanges);
    if (!StateCopyReport::print(html, path)) {
        const QString text = tr("Unable to write the state copy <%1>").arg(path);
        failAction(Outcome::FileError, text);
        showWarning(tr("Warning"), text);
        return;
    }
    achieveAction(UserAction::StateCopy);
    qDebug() << "make stateCopy to " << path;
    appendDebugText(QStringLiteral("Make stateCopy to ") + path);
    openWithDesktop(path);
}

// The console's log.

void GuiQmlHandler::saveDebugLogClicked(QString text)
{
    beginAction(UserAction::SaveDebugLog);
    const QString folder = WorkFolders::reports();
    WorkFolders::ensure(folder);
    const QString path = StateCopyReport::filePath(
        folder, _currentDevice.deviceInfo, QDateTime::currentDateTime(), QStringLiteral("DebugLog"), QStringLiteral("txt"));
    QString error;
    if (!WorkFolders::writeWhole(path, text.toUtf8(), error)) {
        const QString message = tr("Unable to save the file <%1>: %2").arg(path, error);
        failAction(Outcome::FileError, message);
        showWarning(tr("Warning"), message);
        return;
    }
    achieveAction(UserAction::SaveDebugLog);
    appendDebugText(QStringLiteral("Debug log saved to ") + path + QLatin1Char('\n'));
    openWithDesktop(path);
}

void GuiQmlHandler::needToCopyStateFile(QString srcFilePath, QUrl destFileUrl)
{
    const QString title = QStringLiteral("APP");
    if (srcFilePath.isEmpty()) {
        publishDebug(title, QStringLiteral("Source file path is empty!"));
        return;
    }
    const QString dest
        = destFileUrl.isLocalFile() ? destFileUrl.toLocalFile() : QFileInfo(destFileUrl.toString()).absoluteFilePath();
    if (!QFileInfo::exists(dest))
        publishDebug(title, QStringLiteral("File not existed[") + dest + QLatin1Char(']'));
    QFile destination(dest);
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        publishDebug(title,
            QStringLiteral("Unable to open file for write<") + dest + QStringLiteral(">, err:")
                + destination.errorString());
        return;
    }
    QFile source(localPath(srcFilePath));
    if (!source.open(QIODevice::ReadOnly)) {
        publishDebug(title,
            QStringLiteral("Unable to open file<") + srcFilePath + QStringLiteral(">, err:") + source.errorString());
        return;
    }
    const qint64 written = destination.write(source.readAll());
    if (written <= 0)
        publishDebug(title,
            QStringLiteral("Unable to write data! Write result [") + QString::number(written)
                + QStringLiteral("] to file[") + dest + QLatin1Char(']'));
}

} // namespace configurator
