#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

namespace configurator {

// The language the window speaks: English (the texts in the sources) or Russian (the catalogue built
// into the window's resources). It is chosen once, at start, from the application setting "Interface
// language" before the interface loads; a change of the setting is used from the next start on.
// vk-config never installs a catalogue: its texts stay English.
class InterfaceLanguage
{
public:
    // The entries of the setting, in their order.
    enum Choice {
        System = 0, // Russian when the system's locale is Russian, English otherwise
        English = 1,
        Russian = 2,
    };

    // The resource the Russian catalogue is built into (present in programs that link the QML module).
    static QString catalogueResource();

    // Whether `choice` (an entry of the setting; anything else counts as System) means Russian on a
    // system whose locale is `system`.
    static bool russianFor(int choice, const QLocale &system = QLocale::system());

    // Reads the setting, and for Russian loads the catalogue into `translator` and installs it in the
    // application. Returns whether Russian is active now; without the catalogue (not built into this
    // program) the interface stays English and a warning is logged. `translator` must outlive the
    // interface.
    static bool installChosen(QTranslator &translator);
    // The same for an explicit choice.
    static bool install(QTranslator &translator, int choice);

    // Whether the Russian catalogue is installed in this process: element names come from the
    // device's Russian names then.
    static bool isRussian();
};

} // namespace configurator
