// The yardstick of the start-up benchmark: a bare Qt Quick Controls window in the Material style, as
// large as the program's, with a header and a button, measured the same way as the program.
#include "app/first_frame_probe.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QGuiApplication application(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Material"));
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        import QtQuick.Controls
        import QtQuick.Controls.Material
        ApplicationWindow {
            width: 400
            height: 900
            visible: true
            Material.theme: Material.Light
            Material.primary: "#00A096"
            Material.accent: "#00A096"
            header: ToolBar { Label { anchors.centerIn: parent; text: "Bare window" } }
            Button { anchors.centerIn: parent; text: "Connect" }
        }
    )");
    app::FirstFrameProbe::quitAfterFirstFrame(engine, sinceStart);
    return application.exec();
}
