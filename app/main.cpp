#include "app/startup.h"

#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

int main(int argc, char **argv)
{
    return app::run(argc, argv);
}
