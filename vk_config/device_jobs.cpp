#include "vk_config/device_jobs.h"

#include "configurator/element_value.h"
#include "configurator/vk_file_info_element.h"
#include "configurator/vk_interface_element.h"
#include "configurator/config_document.h"
#include "vk_config/terminal_text.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

namespace vk_config {

namespace {

using configurator::ConfigDocument;
using configurator::ElementValue;
using configurator::GuiQmlHandler;
using E = VkInterfaceElement;
using UserAction = GuiQmlHandler::UserAction;

// A device that is not listed within this time (or the job's timeout, when shorter) is not found.
constexpr qint64 kSearchMs = 10000;
// What a disconnection at the end of a job may take.
constexpr qint64 kDisconnectMs = 10000;

QString versionText(const v_protocol::TFirmwareVersion &version)
{
    return QStringLiteral("%1.%2").arg(version.Major).arg(version.Minor);
}

// Every text that came from the device is printed through this.
QString safe(const QString &text)
{
    return printable(text);
}

QString elementLabel(const VkInterfaceElement &element)
{
    return QStringLiteral("element %1 (%2)").arg(element.id()).arg(safe(element.nameEn()));
}

Outcome usage(const QString &message)
{
    return Outcome::failure(ExitUsage, message);
}

QString permissionWord(VkFileInfoElement::EPermission permission, bool isRoot)
{
    return VkFileInfoElement::permits(permission, isRoot) ? QStringLiteral("yes") : QStringLiteral("no");
}

// Columns padded to the widest cell, two spaces apart; the last column is not padded.
void printTable(QTextStream &out, const QList<QStringList> &rows, const QList<bool> &rightAligned = {})
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = qMax(widths.at(i), int(safe(row.at(i)).size()));
        }
    }
    for (const QStringList &row : rows) {
        QStringList cells;
        for (int i = 0; i < row.size(); ++i) {
            const bool last = i == row.size() - 1;
            const int width = last ? 0 : widths.at(i);
            const QString cell = safe(row.at(i));
            cells << (rightAligned.value(i) ? cell.rightJustified(width) : cell.leftJustified(width));
        }
        QString line = cells.join(QStringLiteral("  "));
        while (line.endsWith(u' '))
            line.chop(1);
        out << line << '\n';
    }
    out.flush();
}

} // namespace

DeviceJobs::DeviceJobs(CoreDriver &driver, const Request &request, QTextStream &out)
    : _driver(driver), _request(request), _out(out)
{ }

bool DeviceJobs::isRoot() const
{
    return _driver.core()->authResponse().authResult == v_protocol::TAuthResult::SuccessRoot;
}

VkInterfaceElement *DeviceJobs::element(int id) const
{
    for (VkInterfaceElement *element : _driver.core()->interfaceElements()) {
        if (element->id() == id)
            return element;
    }
    return nullptr;
}

Outcome DeviceJobs::prepare()
{
    if (!_request.documentFile.isEmpty()) {
        QString error;
        if (!configurator::ConfigDocument::readFile(_request.documentFile, _document, error))
            return usage(error);
        _hasDocument = true;
    }
    for (const QString &value : _request.values) {
        bool ok = false;
        const int id = value.section(u'=', 0, 0).toInt(&ok, 10);
        if (!value.contains(u'=') || !ok || id < 0 || id > 0xFFFF)
            return usage(
                QStringLiteral("--value takes ID=VALUE with an element id from 0 to 65535, not \"%1\"").arg(value));
    }
    if (_request.command == Request::Command::Update) {
        QFile file(_request.firmwareFile);
        if (!file.open(QIODevice::ReadOnly))
            return usage(
                QStringLiteral("cannot read the firmware file %1: %2").arg(_request.firmwareFile, file.errorString()));
    }
    return Outcome::success();
}

Outcome DeviceJobs::scan()
{
    const QDeadlineTimer deadline(qint64(_request.scanSeconds) * 1000);
    GuiQmlHandler *core = _driver.core();
    const int mark = _driver.finishMark();
    core->connectClicked();
    _driver.waitForSearchJob(GuiQmlHandler::MakeBleDiscovery, UserAction::Connect, mark, deadline);
    // The user's scan time: only a search that ended by itself ends it earlier.
    _driver.waitUntil([&]() { return _driver.finishedSince(mark, UserAction::Connect).has_value(); }, deadline);
    QList<device_manager::DeviceDiscoveryInfo> devices = core->discoveredDevices().values();
    _driver.cancelSearch(QDeadlineTimer(kDisconnectMs));
    // Closing the list ends the search as cancelled; anything else is a failure of the scan.
    if (const auto ended = _driver.finishedSince(mark, UserAction::Connect);
        ended && ended->outcome != GuiQmlHandler::Outcome::Cancelled)
        return CoreDriver::outcomeOf(*ended, QStringLiteral("scanning"));
    std::sort(devices.begin(), devices.end(),
        [](const auto &a, const auto &b) { return a.deviceInfo.Serial < b.deviceInfo.Serial; });
    if (_request.json) {
        QJsonArray list;
        for (const auto &device : devices) {
            const v_protocol::TSlaveApplication &info = device.deviceInfo;
            list.append(QJsonObject { { QStringLiteral("name"), info.Name },
                { QStringLiteral("serial"), double(info.Serial) }, { QStringLiteral("modelId"), info.ModelId },
                { QStringLiteral("firmwareVersion"), versionText(info.FirmwareVersion) },
                { QStringLiteral("hardwareVersion"), info.HardwareVersion } });
        }
        _out << QJsonDocument(list).toJson(QJsonDocument::Indented);
        _out.flush();
        return Outcome::success();
    }
    QList<QStringList> rows { { QStringLiteral("name"), QStringLiteral("serial"), QStringLiteral("model"),
        QStringLiteral("firmware"), QStringLiteral("hardware") } };
    for (const auto &device : devices) {
        const v_protocol::TSlaveApplication &info = device.deviceInfo;
        rows.append({ info.Name, QString::number(info.Serial), QString::number(info.ModelId),
            versionText(info.FirmwareVersion), QString::number(info.HardwareVersion) });
    }
    printTable(_out, rows);
    return Outcome::success();
}

Outcome DeviceJobs::onDevice(quint32 serial, const QString &password)
{
    _serial = serial;
    _deadline = QDeadlineTimer(qint64(_request.timeoutSeconds) * 1000);
    const QDeadlineTimer search(qMin(kSearchMs, qint64(_request.timeoutSeconds) * 1000));
    _driver.setPassword(password);
    Outcome outcome;
    if (_request.command == Request::Command::Update) {
        outcome = update(serial, search, _deadline);
    } else {
        outcome = _driver.connectDevice(serial, search, _deadline);
        if (outcome.ok()) {
            switch (_request.command) {
            case Request::Command::Get: outcome = get(); break;
            case Request::Command::Set: outcome = set(); break;
            case Request::Command::Run: outcome = run(); break;
            case Request::Command::Files: outcome = files(); break;
            case Request::Command::Report: outcome = report(); break;
            case Request::Command::Diff: outcome = diff(); break;
            case Request::Command::Scan:
            case Request::Command::History:
            case Request::Command::Update: break;
            }
        }
    }
    _driver.disconnectDevice(QDeadlineTimer(kDisconnectMs));
    return outcome;
}

Outcome DeviceJobs::get()
{
    GuiQmlHandler *core = _driver.core();
    // No kind chosen, or all three (--all): every element, commands and captions included.
    const bool every = _request.settings == _request.state && _request.state == _request.personalization;
    QList<const VkInterfaceElement *> chosen;
    for (const VkInterfaceElement *element : core->interfaceElements()) {
        if (!ElementValue::isVisible(*element, isRoot()))
            continue;
        const bool wanted = every || (_request.settings && element->type() == E::SlaveSetting)
            || (_request.state && element->type() == E::SlaveState)
            || (_request.personalization && element->type() == E::PersonalizationInfo);
        if (wanted)
            chosen.append(element);
    }
    v_protocol::TSlaveApplication device = core->currentDevice().deviceInfo;
    device.AppType = core->authResponse().appType;
    if (_request.json) {
        _out << QJsonDocument(ConfigDocument::make(device, isRoot(), chosen)).toJson(QJsonDocument::Indented);
        _out.flush();
        return Outcome::success();
    }
    _out << QStringLiteral("%1  serial %2  model %3  hardware %4  firmware %5  access %6\n")
                .arg(safe(device.Name))
                .arg(device.Serial)
                .arg(device.ModelId)
                .arg(device.HardwareVersion)
                .arg(versionText(device.FirmwareVersion))
                .arg(isRoot() ? QStringLiteral("root") : QStringLiteral("user"));
    QList<QStringList> rows { { QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("kind"),
        QStringLiteral("value") } };
    for (const VkInterfaceElement *element : std::as_const(chosen))
        rows.append({ QString::number(element->id()), element->nameEn(), ElementValue::kindWord(element->type()),
            ElementValue::text(*element) });
    printTable(_out, rows, { true });
    return Outcome::success();
}

configurator::ConfigComparison DeviceJobs::compareDocument() const
{
    const GuiQmlHandler *core = _driver.core();
    return configurator::ConfigComparison::compare(
        _document, core->interfaceElements(), [](const VkInterfaceElement &element) { return element.value(); },
        core->currentDevice().deviceInfo, isRoot(), { E::SlaveSetting, E::PersonalizationInfo });
}

Outcome DeviceJobs::collectChanges(QList<Change> &changes) const
{
    changes.clear();
    const auto refused = [](const VkInterfaceElement &element, const ElementValue::Result &result) {
        return usage(QStringLiteral("%1: %2").arg(elementLabel(element), result.reason));
    };
    QList<int> seen;
    if (_hasDocument) {
        // State values and commands are the device's own: a document carries them only to be read.
        for (const configurator::ConfigComparison::Row &row : compareDocument().rows) {
            seen.append(row.id);
            VkInterfaceElement *found = element(row.id);
            if (row.status == configurator::ConfigComparison::Status::Refused)
                return usage(found ? QStringLiteral("%1: %2").arg(elementLabel(*found), row.reason) : row.reason);
            if (row.status == configurator::ConfigComparison::Status::Differs)
                changes.append({ found, row.data });
        }
    }
    for (const QString &value : _request.values) {
        const int id = value.section(u'=', 0, 0).toInt();
        const QString text = value.section(u'=', 1);
        VkInterfaceElement *found = element(id);
        if (!found)
            return usage(ElementValue::unknown(id).reason);
        if (seen.contains(id))
            return usage(QStringLiteral("%1: given twice").arg(elementLabel(*found)));
        seen.append(id);
        const ElementValue::Result accepted = ElementValue::accept(*found, text, isRoot());
        if (!accepted.ok())
            return refused(*found, accepted);
        if (!ElementValue::holds(*found, accepted.data))
            changes.append({ found, accepted.data });
    }
    return Outcome::success();
}

Outcome DeviceJobs::set()
{
    QList<Change> changes;
    const Outcome checked = collectChanges(changes);
    if (!checked.ok())
        return checked;
    if (_request.dryRun || changes.isEmpty()) {
        if (changes.isEmpty())
            _out << QStringLiteral("%1: no difference between the values given and the device\n").arg(_serial);
        for (const Change &change : std::as_const(changes)) {
            const QByteArray bytes = ElementValue::bytesOf(*change.element, change.data);
            _out << QStringLiteral("%1  %2: %3 -> %4\n")
                        .arg(change.element->id())
                        .arg(safe(change.element->nameEn()), safe(ElementValue::text(*change.element)),
                            safe(ElementValue::text(*change.element, bytes)));
        }
        _out.flush();
        return Outcome::success();
    }

    // Written as the window writes an edited value: through the element's data.
    bool settings = false;
    bool personalization = false;
    for (const Change &change : std::as_const(changes)) {
        change.element->setData(change.data);
        settings = settings || change.element->type() == E::SlaveSetting;
        personalization = personalization || change.element->type() == E::PersonalizationInfo;
    }
    QList<QPair<VkInterfaceElement *, QVariant>> expected;
    for (VkInterfaceElement *element : _driver.core()->interfaceElements()) {
        const bool saved = (settings && element->type() == E::SlaveSetting)
            || (personalization && element->type() == E::PersonalizationInfo);
        if (saved && ElementValue::hasValue(*element))
            expected.append({ element, element->data() });
    }
    // Saved as the window's Save buttons save: the settings are applied too.
    GuiQmlHandler *core = _driver.core();
    if (settings) {
        const Outcome saved = _driver.runAction([core]() { core->saveAndApplySettingsClicked(); },
            UserAction::SaveSettings, QStringLiteral("saving the settings"), _deadline);
        if (!saved.ok())
            return saved;
    }
    if (personalization) {
        const Outcome saved = _driver.runAction([core]() { core->savePersClicked(); }, UserAction::SavePersonalization,
            QStringLiteral("saving the personalization"), _deadline);
        if (!saved.ok())
            return saved;
    }
    // The core read the values back after saving: each must be what was written.
    for (const auto &[element, data] : std::as_const(expected)) {
        if (element->data() != data) {
            const QByteArray written
                = VkInterfaceElement::encode(element->dataType(), element->dataSize(), data, QByteArray());
            return Outcome::failure(ExitDeviceFailed,
                QStringLiteral("%1 reads back as %2, written %3")
                    .arg(elementLabel(*element), safe(ElementValue::text(*element)),
                        safe(ElementValue::text(*element, written))));
        }
    }
    _out << QStringLiteral("%1: %2 value(s) written and read back\n").arg(_serial).arg(changes.size());
    for (const Change &change : std::as_const(changes))
        _out << QStringLiteral("%1  %2 = %3\n")
                    .arg(change.element->id())
                    .arg(safe(change.element->nameEn()), safe(ElementValue::text(*change.element)));
    _out.flush();
    return Outcome::success();
}

Outcome DeviceJobs::run()
{
    VkInterfaceElement *command = element(_request.commandId);
    if (!command || command->type() != E::SlaveCommand)
        return usage(QStringLiteral("command %1: not a command of the device's profile").arg(_request.commandId));
    if (!ElementValue::isVisible(*command, isRoot()))
        return usage(QStringLiteral("command %1 (%2): not available with user access")
                         .arg(command->id())
                         .arg(safe(command->nameEn())));
    if (!_request.commandData.isEmpty())
        command->setValue(_request.commandData);
    GuiQmlHandler *core = _driver.core();
    const int id = command->id();
    const Outcome outcome = _driver.runAction([core, id]() { core->executeCommand(id); }, UserAction::RunCommand,
        QStringLiteral("running command %1").arg(id), _deadline);
    if (!outcome.ok())
        return outcome;
    _out << QStringLiteral("%1: command %2 (%3) done\n").arg(_serial).arg(id).arg(safe(command->nameEn()));
    _out.flush();
    return Outcome::success();
}

Outcome DeviceJobs::copyOut(const QString &source, quint32 serial, const QString &what)
{
    if (_request.output.isEmpty()) {
        _out << QStringLiteral("%1: %2 saved to %3\n").arg(serial).arg(what, source);
        _out.flush();
        return Outcome::success();
    }
    QString target = _request.output;
    target.replace(QLatin1String("{serial}"), QString::number(serial));
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("cannot write %1").arg(target));
    _out << QStringLiteral("%1: %2 saved to %3 (%4 bytes)\n")
                .arg(serial)
                .arg(what, target)
                .arg(QFileInfo(target).size());
    _out.flush();
    return Outcome::success();
}

Outcome DeviceJobs::files()
{
    GuiQmlHandler *core = _driver.core();
    QList<VkFileInfoElement *> files = core->deviceFileElements();
    std::sort(files.begin(), files.end(), [](auto *a, auto *b) { return a->fileId() < b->fileId(); });
    if (_request.filesAction == Request::FilesAction::List) {
        if (_request.json) {
            QJsonArray list;
            for (const VkFileInfoElement *file : std::as_const(files))
                list.append(QJsonObject { { QStringLiteral("fileId"), file->fileId() },
                    { QStringLiteral("name"), file->fileName() },
                    { QStringLiteral("read"), VkFileInfoElement::permits(file->readPermission(), isRoot()) },
                    { QStringLiteral("write"), VkFileInfoElement::permits(file->writePermission(), isRoot()) },
                    { QStringLiteral("clear"), VkFileInfoElement::permits(file->clearPermission(), isRoot()) } });
            _out << QJsonDocument(list).toJson(QJsonDocument::Indented);
            _out.flush();
            return Outcome::success();
        }
        QList<QStringList> rows { { QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("read"),
            QStringLiteral("write"), QStringLiteral("clear") } };
        for (const VkFileInfoElement *file : std::as_const(files))
            rows.append({ QString::number(file->fileId()), file->fileName(),
                permissionWord(file->readPermission(), isRoot()), permissionWord(file->writePermission(), isRoot()),
                permissionWord(file->clearPermission(), isRoot()) });
        printTable(_out, rows, { true });
        return Outcome::success();
    }

    const VkFileInfoElement *file = nullptr;
    for (const VkFileInfoElement *candidate : std::as_const(files)) {
        if (candidate->fileId() == _request.fileId)
            file = candidate;
    }
    if (!file)
        return usage(QStringLiteral("file %1: not in the device's file table").arg(_request.fileId));
    const QString label = QStringLiteral("file %1 (%2)").arg(file->fileId()).arg(safe(file->fileName()));
    const int id = file->fileId();
    if (_request.filesAction == Request::FilesAction::Clear) {
        if (!VkFileInfoElement::permits(file->clearPermission(), isRoot()))
            return usage(QStringLiteral("%1 may not be cleared with %2 access")
                             .arg(label, isRoot() ? QStringLiteral("root") : QStringLiteral("user")));
        const Outcome outcome = _driver.runAction([core, id]() { core->deviceFileCmdToClear(id); },
            UserAction::ClearFile, QStringLiteral("clearing %1").arg(label), _deadline);
        if (!outcome.ok())
            return outcome;
        _out << QStringLiteral("%1: %2 cleared\n").arg(_serial).arg(label);
        _out.flush();
        return Outcome::success();
    }
    if (!VkFileInfoElement::permits(file->readPermission(), isRoot()))
        return usage(QStringLiteral("%1 may not be read with %2 access")
                         .arg(label, isRoot() ? QStringLiteral("root") : QStringLiteral("user")));
    const Outcome outcome = _driver.runAction([core, id]() { core->deviceFileCmdToRead(id); }, UserAction::ReadFile,
        QStringLiteral("reading %1").arg(label), _deadline);
    if (!outcome.ok())
        return outcome;
    return copyOut(_driver.openedFiles().last(), _serial, label);
}

Outcome DeviceJobs::report()
{
    GuiQmlHandler *core = _driver.core();
    const Outcome outcome = _driver.runAction([core]() { core->makeStateCopyClicked(); }, UserAction::StateCopy,
        QStringLiteral("making the state copy"), _deadline);
    if (!outcome.ok())
        return outcome;
    return copyOut(_driver.openedFiles().last(), _serial, QStringLiteral("state copy"));
}

Outcome DeviceJobs::update(quint32 serial, const QDeadlineTimer &search, const QDeadlineTimer &deadline)
{
    GuiQmlHandler *core = _driver.core();
    _driver.setShowProgress(true);
    const int mark = _driver.finishMark();
    const auto ended = [&]() { return _driver.finishedSince(mark, UserAction::FirmwareUpdate); };
    // The window's way: choose the file while not connected, then pick the device from the list.
    core->updateFirmwareFileSelected(QFileInfo(_request.firmwareFile).absoluteFilePath());
    _driver.waitForSearchJob(GuiQmlHandler::MakeBleDiscoveryForFirmwareUpdate, UserAction::FirmwareUpdate, mark, search);
    _driver.waitUntil([&]() { return !_driver.listedKey(serial).isEmpty() || ended().has_value(); }, search);
    const QString key = ended() ? QString() : _driver.listedKey(serial);
    if (key.isEmpty()) {
        if (!ended())
            _driver.cancelSearch(QDeadlineTimer(kDisconnectMs));
        _driver.setShowProgress(false);
        const auto finish = ended();
        if (finish && finish->outcome != GuiQmlHandler::Outcome::Cancelled)
            return CoreDriver::outcomeOf(*finish, QStringLiteral("updating the firmware"));
        return Outcome::failure(ExitNotFound, QStringLiteral("device %1 not found").arg(serial));
    }
    core->appCoreConnectToBleDevice(key);
    _driver.waitUntil([&]() { return ended().has_value(); }, deadline);
    _driver.setShowProgress(false);
    if (!ended())
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("timed out during the firmware update"));
    const Outcome outcome = CoreDriver::outcomeOf(*ended(), QStringLiteral("updating the firmware"));
    if (!outcome.ok())
        return outcome;
    _driver.disconnectDevice(QDeadlineTimer(kDisconnectMs));

    // What the device runs now, as it advertises itself after its restart.
    const QString listed = _driver.search(serial, QDeadlineTimer(kSearchMs));
    const v_protocol::TSlaveApplication record = core->discoveredDevices().value(listed).deviceInfo;
    _driver.cancelSearch(QDeadlineTimer(kDisconnectMs));
    if (listed.isEmpty())
        return Outcome::failure(ExitDeviceFailed,
            QStringLiteral("the firmware was sent, but device %1 was not seen "
                           "again")
                .arg(serial));
    _out << QStringLiteral("%1: firmware update done, the device runs %2 %3\n")
                .arg(serial)
                .arg(safe(record.Name), versionText(record.FirmwareVersion));
    _out.flush();
    return Outcome::success();
}


Outcome DeviceJobs::diff()
{
    using Status = configurator::ConfigComparison::Status;
    const configurator::ConfigComparison comparison = compareDocument();
    if (_request.json) {
        QJsonArray rows;
        for (const auto &row : comparison.rows)
            rows.append(QJsonObject { { QStringLiteral("id"), row.id }, { QStringLiteral("name"), row.name },
                { QStringLiteral("device"), row.deviceText }, { QStringLiteral("file"), row.fileText },
                { QStringLiteral("status"), configurator::ConfigComparison::statusName(row.status) },
                { QStringLiteral("reason"), row.reason } });
        _out << QJsonDocument(QJsonObject { { QStringLiteral("serial"), double(_serial) },
                                  { QStringLiteral("equal"), comparison.isEqual() },
                                  { QStringLiteral("warnings"), QJsonArray::fromStringList(comparison.warnings) },
                                  { QStringLiteral("rows"), rows } })
                    .toJson(QJsonDocument::Indented);
    } else {
        _out << QStringLiteral("%1: %2 differ, %3 refused, %4 equal\n")
                    .arg(_serial)
                    .arg(comparison.count(Status::Differs))
                    .arg(comparison.count(Status::Refused))
                    .arg(comparison.count(Status::Equal));
        for (const QString &warning : comparison.warnings)
            _out << QStringLiteral("warning: ") << warning << '\n';
        QList<QStringList> table { { QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("device"),
            QStringLiteral("file"), QStringLiteral("status") } };
        for (const auto &row : comparison.rows) {
            if (row.status != Status::Equal)
                table.append({ QString::number(row.id), row.name, row.deviceText, row.fileText,
                    configurator::ConfigComparison::statusText(row) });
        }
        if (table.size() > 1)
            printTable(_out, table, { true });
    }
    _out.flush();
    // Differing is what diff reports, not a failure of the tool: exit 1 without an error line.
    return comparison.isEqual() ? Outcome::success() : Outcome::failure(ExitDeviceFailed, QString());
}

Outcome DeviceJobs::history(quint32 serial, const Request &request, QTextStream &out)
{
    const QList<configurator::DeviceHistory::Record> records = configurator::DeviceHistory::read(serial);
    if (request.json) {
        QJsonArray list;
        for (const auto &record : records)
            list.append(record.toJson());
        out << QJsonDocument(list).toJson(QJsonDocument::Indented);
        out.flush();
        return Outcome::success();
    }
    if (records.isEmpty()) {
        out << QStringLiteral("%1: nothing was written to this device from here\n").arg(serial);
        out.flush();
        return Outcome::success();
    }
    QList<QStringList> table { { QStringLiteral("time (UTC)"), QStringLiteral("user"), QStringLiteral("from"),
        QStringLiteral("id"), QStringLiteral("element"), QStringLiteral("before"), QStringLiteral("after"),
        QStringLiteral("outcome") } };
    for (const auto &record : records)
        table.append({ record.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), record.user, record.face,
            QString::number(record.elementId), record.elementName, record.before, record.after, record.outcome });
    printTable(out, table, { false, false, false, true });
    return Outcome::success();
}

} // namespace vk_config
