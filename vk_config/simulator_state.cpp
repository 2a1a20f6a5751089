#include "vk_config/simulator_state.h"

#include "simulator/device_park.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace vk_config {

namespace {

using v_protocol::TSlaveProfile;

const QString kDevices = QStringLiteral("devices");
const QString kVersion = QStringLiteral("firmwareVersion");
const QString kValid = QStringLiteral("applicationValid");
const QString kValues = QStringLiteral("values");
const QString kCounters = QStringLiteral("counters");
const QString kJournal = QStringLiteral("journal");

bool isKept(const simulator::ProfileEntry &entry)
{
    return (entry.element.type == TSlaveProfile::Types::SlaveSetting
               || entry.element.type == TSlaveProfile::Types::PersonalizationInfo)
        && entry.element.dataType != TSlaveProfile::DataTypes::TNoData && entry.element.dataSize > 0;
}

QString versionText(v_protocol::TFirmwareVersion version)
{
    return QStringLiteral("%1.%2").arg(version.Major).arg(version.Minor);
}

bool parseVersion(const QString &text, v_protocol::TFirmwareVersion &version)
{
    const QStringList parts = text.split(u'.');
    bool majorOk = false;
    bool minorOk = false;
    const int major = parts.value(0).toInt(&majorOk);
    const int minor = parts.value(1).toInt(&minorOk);
    if (parts.size() != 2 || !majorOk || !minorOk || major < 0 || major > 15 || minor < 0 || minor > 15)
        return false;
    version.Major = quint8(major);
    version.Minor = quint8(minor);
    return true;
}

} // namespace

QJsonObject SimulatorState::countersOf(const QJsonObject &state, const QString &deviceId)
{
    return state.value(kDevices).toObject().value(deviceId).toObject().value(kCounters).toObject();
}

bool SimulatorState::load(const QString &file, simulator::DeviceCatalog &catalog, QString &error)
{
    _loaded = QJsonObject();
    QFile input(file);
    if (!input.exists())
        return true;
    if (!input.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the simulator state %1: %2").arg(file, input.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        error = QStringLiteral("the simulator state %1 is not a JSON object").arg(file);
        return false;
    }
    _loaded = document.object();
    const QJsonObject devices = _loaded.value(kDevices).toObject();
    for (auto it = devices.constBegin(); it != devices.constEnd(); ++it) {
        const simulator::DeviceDefinition *present = catalog.find(it.key());
        if (!present)
            continue;
        simulator::DeviceDefinition definition = *present;
        const QJsonObject saved = it.value().toObject();
        definition.startsInBootloader = !saved.value(kValid).toBool(!present->startsInBootloader);
        v_protocol::TFirmwareVersion version;
        if (parseVersion(saved.value(kVersion).toString(), version))
            definition.application.version = version;
        const QJsonObject values = saved.value(kValues).toObject();
        for (simulator::ProfileEntry &entry : definition.application.profile) {
            const QString key = QString::number(entry.element.id);
            if (!isKept(entry) || !values.contains(key))
                continue;
            const QByteArray bytes = QByteArray::fromHex(values.value(key).toString().toLatin1());
            if (bytes.size() == entry.element.dataSize)
                entry.value = bytes;
        }
        catalog.replace(definition);
    }
    return true;
}

bool SimulatorState::save(
    const QString &file, simulator::DevicePark &park, const simulator::DeviceCatalog &catalog, QString &error) const
{
    QJsonObject devices = _loaded.value(kDevices).toObject();
    for (const simulator::DeviceDefinition &definition : catalog.definitions()) {
        QJsonObject saved = devices.value(definition.id).toObject();
        park.withEngine(definition.address, [&](simulator::DeviceEngine &engine) {
            saved.insert(kValid, engine.hasValidApplication());
            // The application's own values are reachable while it runs; otherwise they stay as they were.
            if (!engine.isInBootloader()) {
                saved.insert(kVersion, versionText(engine.firmwareVersion()));
                QJsonObject values;
                for (const simulator::ProfileEntry &entry : definition.application.profile) {
                    if (isKept(entry))
                        values.insert(QString::number(entry.element.id),
                            QString::fromLatin1(engine.value(entry.element.id).toHex()));
                }
                saved.insert(kValues, values);
            } else if (!saved.contains(kVersion)) {
                saved.insert(kVersion, versionText(definition.application.version));
            }
            const simulator::EngineCounters &now = engine.counters();
            QJsonObject counters = saved.value(kCounters).toObject();
            const auto add = [&](const QString &name, qint64 count) {
                counters.insert(name, double(qint64(counters.value(name).toDouble()) + count));
            };
            add(QStringLiteral("requests"), now.requestsReceived());
            add(QStringLiteral("fileWrites"), now.received(v_protocol::TPayloadType::FileChunk));
            add(QStringLiteral("fileReads"), now.received(v_protocol::TPayloadType::FileChunkRequest));
            add(QStringLiteral("commands"), now.received(v_protocol::TPayloadType::CommandRequest));
            add(QStringLiteral("fileClears"), now.received(v_protocol::TPayloadType::FileClearRequest));
            add(QStringLiteral("linkTimeUs"), now.linkTimeUs);
            saved.insert(kCounters, counters);
            QJsonArray journal = saved.value(kJournal).toArray();
            for (const QString &entry : now.journal)
                journal.append(entry);
            while (journal.size() > simulator::EngineCounters::kJournalLimit)
                journal.removeFirst();
            saved.insert(kJournal, journal);
        });
        devices.insert(definition.id, saved);
    }
    QJsonObject state = _loaded;
    state.insert(kDevices, devices);
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly) || output.write(QJsonDocument(state).toJson()) < 0 || !output.commit()) {
        error = QStringLiteral("cannot write the simulator state %1: %2").arg(file, output.errorString());
        return false;
    }
    return true;
}

} // namespace vk_config
