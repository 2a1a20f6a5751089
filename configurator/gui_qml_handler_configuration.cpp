// Configuration documents of the application core (saved, loaded, compared, applied) and the history
// of what was written to each device.
#include "configurator/gui_qml_handler.h"
#include "configurator/work_folders.h"

#include <QDebug>
#include <QFileInfo>
#include <QJsonDocument>
#include <QUrl>

namespace configurator {

namespace {

using E = VkInterfaceElement;

QString s_frontEnd = QStringLiteral("window");

QString localPathOf(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    return url.isValid() && url.isLocalFile() ? url.toLocalFile() : pathOrUrl;
}

bool sameValue(const VkInterfaceElement &element, const QByteArray &a, const QByteArray &b)
{
    return E::decode(element.dataType(), element.dataSize(), a) == E::decode(element.dataType(), element.dataSize(), b);
}

} // namespace

void GuiQmlHandler::setFrontEnd(const QString &name)
{
    s_frontEnd = name;
}

QString GuiQmlHandler::frontEnd()
{
    return s_frontEnd;
}

void GuiQmlHandler::saveConfigurationFile(QString pathOrUrl)
{
    beginAction(UserAction::SaveToFile);
    const QString path = localPathOf(pathOrUrl);
    if (!_connected || !_receivedFiles.testFlag(SlaveProfile)) {
        failAction(Outcome::NotConnected, tr("No device is connected"));
        return;
    }
    QList<const VkInterfaceElement *> shown;
    for (const VkInterfaceElement *element : qAsConst(_interfaceElements)) {
        if (ElementValue::isVisible(*element, isRootUser()))
            shown.append(element);
    }
    v_protocol::TSlaveApplication device = _currentDevice.deviceInfo;
    device.AppType = _authResponse.appType;
    // What the device holds, not what was typed and not saved.
    QHash<int, QByteArray> typed;
    for (const VkInterfaceElement *element : qAsConst(shown)) {
        if (_deviceValues.contains(element->id()))
            typed.insert(element->id(), element->value());
    }
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        interfaceElement(it.key())->setValue(_deviceValues.value(it.key()));
    const QByteArray json = QJsonDocument(ConfigDocument::make(device, isRootUser(), shown)).toJson();
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        interfaceElement(it.key())->setValue(it.value());
    QString error;
    if (!WorkFolders::writeWhole(path, json, error)) {
        const QString text = tr("Unable to save the file <%1>: %2").arg(path, error);
        failAction(Outcome::FileError, text);
        showWarning(tr("Warning"), text);
        return;
    }
    achieveAction(UserAction::SaveToFile);
    appendDebugText(QStringLiteral("Configuration saved to ") + path + QLatin1Char('\n'));
}

void GuiQmlHandler::loadConfigurationFile(QString pathOrUrl, int kind)
{
    beginAction(UserAction::LoadFromFile);
    const QString path = localPathOf(pathOrUrl);
    if (!_connected || !_receivedFiles.testFlag(SlaveProfile)) {
        failAction(Outcome::NotConnected, tr("No device is connected"));
        return;
    }
    ConfigDocument::Contents contents;
    QString error;
    if (!ConfigDocument::readFile(path, contents, error)) {
        const QString text = tr("The file cannot be loaded: %1").arg(error);
        failAction(Outcome::UnreadableFile, text);
        showWarning(tr("Warning"), text);
        return;
    }
    _comparisonKind = kind == E::PersonalizationInfo ? E::PersonalizationInfo : E::SlaveSetting;
    _loadedDocument = contents;
    _loadedPath = path;
    // Compared with what the device holds now, not with what was read when it was connected.
    _appendTask(_comparisonKind == E::PersonalizationInfo ? GetPersonalization : GetSettings, {});
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::compareLoadedDocument()
{
    if (!_loadedDocument)
        return;
    const ConfigDocument::Contents contents = *std::exchange(_loadedDocument, std::nullopt);
    if (!_connected)
        return;
    _comparison = ConfigComparison::compare(
        contents, _interfaceElements, [this](const VkInterfaceElement &element) { return deviceValue(element); },
        _currentDevice.deviceInfo, isRootUser(), { E::ETypes(_comparisonKind) });
    qDebug().noquote() << QStringLiteral("Configuration %1 compared: %2 differ, %3 refused, %4 equal")
                              .arg(_loadedPath)
                              .arg(_comparison.count(ConfigComparison::Status::Differs))
                              .arg(_comparison.count(ConfigComparison::Status::Refused))
                              .arg(_comparison.count(ConfigComparison::Status::Equal));
    ++_comparisonLoads;
    achieveAction(UserAction::LoadFromFile);
    emit appCoreComparisonChanged();
}

void GuiQmlHandler::applyComparison(QList<int> ids)
{
    if (!_connected)
        return refuseAction(UserAction::ApplyFile, Outcome::NotConnected);
    const auto kind = E::ETypes(_comparisonKind);
    QList<int> applied;
    for (int id : qAsConst(ids)) {
        const ConfigComparison::Row *row = _comparison.row(id);
        if (row && row->status == ConfigComparison::Status::Differs && interfaceElement(id))
            applied.append(id);
    }
    if (applied.isEmpty())
        return refuseAction(UserAction::ApplyFile, Outcome::Failed, tr("No row to write is checked"));
    beginAction(UserAction::ApplyFile);
    // Only the chosen rows change: every other value goes back to what the device holds.
    for (VkInterfaceElement *element : qAsConst(_interfaceElements)) {
        if (element->type() == kind && _deviceValues.contains(element->id()))
            element->setValue(_deviceValues.value(element->id()));
    }
    for (int id : qAsConst(applied))
        interfaceElement(id)->setData(_comparison.row(id)->data);
    _applying = applied;
    if (kind == E::PersonalizationInfo) {
        _appendTask(SavePersonalization, {});
        _appendTask(GetPersonalization, {});
    } else {
        _appendTask(SaveSettings, {});
        _appendTask(GetSettings, {});
        if (const VkInterfaceElement *apply = interfaceElement(kApplySettingsCommand))
            _appendTask(ExecuteCommand, { kApplySettingsCommand, apply->value() });
    }
    _checkAndStartTaskRoutine();
}

void GuiQmlHandler::exportHistory(QString pathOrUrl)
{
    beginAction(UserAction::ExportHistory);
    const QString path = localPathOf(pathOrUrl);
    if (!_currentDevice.deviceInfo.hasSerial()) {
        failAction(Outcome::NotConnected, tr("No device is connected"));
        return;
    }
    QString error;
    if (!WorkFolders::writeWhole(path, DeviceHistory::toCsv(DeviceHistory::read(_currentDevice.deviceInfo.Serial)), error)) {
        const QString text = tr("Unable to save the file <%1>: %2").arg(path, error);
        failAction(Outcome::FileError, text);
        showWarning(tr("Warning"), text);
        return;
    }
    achieveAction(UserAction::ExportHistory);
}

void GuiQmlHandler::beginWrite(VkInterfaceElement::ETypes kind)
{
    _write = PendingWrite();
    _write.active = true;
    _write.kind = kind;
    for (const VkInterfaceElement *element : qAsConst(_interfaceElements)) {
        if (element->type() != kind || !ElementValue::hasValue(*element))
            continue;
        const QByteArray before = _deviceValues.value(element->id());
        if (element->value().isEmpty() || (!before.isEmpty() && sameValue(*element, before, element->value())))
            continue;
        _write.changes.append({ element->id(), before, element->value() });
    }
}

void GuiQmlHandler::endWrite(bool readBack)
{
    if (!_write.active)
        return;
    const PendingWrite write = std::exchange(_write, PendingWrite());
    const QList<int> applying = std::exchange(_applying, {});
    QList<DeviceHistory::Record> records;
    const v_protocol::TSlaveApplication &device = _currentDevice.deviceInfo;
    for (const auto &[id, before, sent] : write.changes) {
        const VkInterfaceElement *element = interfaceElement(id);
        if (!element)
            continue;
        DeviceHistory::Record record;
        record.time = QDateTime::currentDateTimeUtc();
        record.user = DeviceHistory::currentUser();
        record.face = s_frontEnd;
        record.modelId = device.ModelId;
        record.serial = device.Serial;
        record.firmware = ConfigDocument::versionText(device.FirmwareVersion);
        record.elementId = id;
        record.elementName = element->nameEn();
        record.before = ElementValue::text(*element, before);
        record.after = ElementValue::text(*element, sent);
        const QByteArray held = _deviceValues.value(id);
        bool written = false;
        if (!write.sent) {
            record.outcome = QStringLiteral("failed");
        } else if (!readBack) {
            record.outcome = QStringLiteral("not read back");
        } else if (sameValue(*element, held, sent)) {
            record.outcome = QStringLiteral("ok");
            written = true;
        } else {
            record.outcome = QStringLiteral("read back ") + ElementValue::text(*element, held);
        }
        records.append(record);
        if (!written && applying.contains(id))
            failAction(Outcome::RefusedByDevice,
                tr("%1: %2").arg(element->nameEn(), record.outcome == QLatin1String("failed")
                        ? tr("not written")
                        : DeviceHistory::outcomeText(record.outcome)));
        if (ConfigComparison::Row *row = _comparison.row(id); row && applying.contains(id)) {
            row->status = written ? ConfigComparison::Status::Written : ConfigComparison::Status::Failed;
            row->reason = written ? QString() : DeviceHistory::outcomeText(record.outcome);
            row->deviceText = ElementValue::text(*element, held);
        }
    }
    if (!applying.isEmpty())
        emit appCoreComparisonChanged();
    if (records.isEmpty())
        return;
    _sessionChanges += records;
    QString error;
    if (!DeviceHistory::append(records, error))
        qWarning().noquote() << "History not written:" << error;
    emit appCoreHistoryChanged();
}

} // namespace configurator
