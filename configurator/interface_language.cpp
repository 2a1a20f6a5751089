#include "configurator/interface_language.h"

#include "configurator/app_settings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTranslator>

#include <atomic>

namespace configurator {

namespace {
std::atomic<bool> s_russian { false };
} // namespace

QString InterfaceLanguage::catalogueResource()
{
    return QStringLiteral(":/configurator/resources/VorlexIoTConfigurator/i18n/vorlex_ru.qm");
}

bool InterfaceLanguage::russianFor(int choice, const QLocale &system)
{
    switch (choice) {
    case English: return false;
    case Russian: return true;
    default: return system.language() == QLocale::Russian;
    }
}

bool InterfaceLanguage::installChosen(QTranslator &translator)
{
    return install(translator, AppSettings::read(AppSettings::InterfaceLanguage).toInt());
}

bool InterfaceLanguage::install(QTranslator &translator, int choice)
{
    if (!russianFor(choice)) {
        qDebug() << "Interface language: English";
        return s_russian = false;
    }
    if (!translator.load(catalogueResource()) || !QCoreApplication::installTranslator(&translator)) {
        qWarning().noquote() << "The Russian catalogue cannot be loaded from" << catalogueResource()
                             << "- the interface stays English";
        return s_russian = false;
    }
    qDebug() << "Interface language: Russian";
    return s_russian = true;
}

bool InterfaceLanguage::isRussian()
{
    return s_russian;
}

} // namespace configurator
