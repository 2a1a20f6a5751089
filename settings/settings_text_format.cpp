#include "settings/settings_text_format.h"

#include <QDebug>
#include <QSettings>
#include <QStringList>

namespace settings {

QByteArray SettingsTextFormat::write(QSettings &store)
{
    QByteArray text;
    const QStringList groups = store.childGroups();
    for (const QString &group : groups) {
        text += '[' + group.toUtf8() + "]\n";
        store.beginGroup(group);
        const QStringList keys = store.childKeys();
        for (const QString &key : keys)
            text += key.toUtf8() + '=' + store.value(key).toString().toUtf8() + '\n';
        store.endGroup();
    }
    return text;
}

void SettingsTextFormat::read(const QByteArray &text, QSettings &store)
{
    bool inGroup = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QString line = QString::fromUtf8(text.constData() + start, end - start);
        start = end + 1;

        if (line.startsWith(QLatin1Char('['))) {
            if (inGroup)
                store.endGroup();
            store.beginGroup(QString(line).remove(QLatin1Char('[')).remove(QLatin1Char(']')));
            inGroup = true;
            continue;
        }

        const QStringList parts = line.split(QLatin1Char('='));
        // A key of nothing but slashes names no key at all in QSettings.
        if (parts.size() != 2 || QString(parts.first()).remove(QLatin1Char('/')).isEmpty()) {
            qDebug() << "ERROR: Invalid size of input line with value!";
            continue;
        }
        store.setValue(parts.first(), parts.last());
    }
    if (inGroup)
        store.endGroup();
}

std::unique_ptr<QSettings> SettingsTextFormat::memoryStore(const QString &name)
{
    auto store = std::make_unique<QSettings>(QStringLiteral(":/") + name, QSettings::IniFormat);
    store->moveToThread(nullptr);
    return store;
}

} // namespace settings
