// The window and vk-config show every value of the shipped devices alike: each row of the window's
// element pages shows the text vk-config prints for the element.
#include "window_harness.h"

#include "configurator/element_value.h"
#include "testing/process_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;
using core_testing::shippedDevice;

class TestUiParity : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { _ui.stop(); }
    void valuesShownAsVkConfigShowsThem_data();
    void valuesShownAsVkConfigShowsThem();

private:
    UiHarness _ui;
};

void TestUiParity::valuesShownAsVkConfigShowsThem_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("password");
    QTest::newRow("fm200") << "fm200" << "4711";
    QTest::newRow("gw4, groups folded") << "gw4" << "9000";
}

void TestUiParity::valuesShownAsVkConfigShowsThem()
{
    QFETCH(QString, device);
    QFETCH(QString, password);
    const simulator::DeviceDefinition &definition = shippedDevice(device);
    // vk-config on the same device definitions, as a user runs it.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    const vk_testing::ProcessRun get = vk_testing::runProcess(QStringLiteral(VK_CONFIG_PATH),
        { QStringLiteral("--simulator"), QStringLiteral("get"), QString::number(definition.serial),
            QStringLiteral("--all"), QStringLiteral("--json"), QStringLiteral("--password"), password },
        {}, env);
    QVERIFY2(get.finished && get.exitCode == 0, get.err.constData());
    QHash<int, QJsonObject> printed;
    for (const QJsonValue &value : QJsonDocument::fromJson(get.out).object().value(QStringLiteral("elements")).toArray())
        printed.insert(value.toObject().value(QStringLiteral("id")).toInt(), value.toObject());

    QVERIFY(_ui.start());
    QVERIFY(_ui.connect(definition, password));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    const QList<QStringList> pages { { "menuSettings", "settingsPage", "settingsList" },
        { "menuState", "statePage", "stateList" },
        { "menuPersonalization", "personalizationPage", "personalizationList" } };
    int compared = 0;
    for (const QStringList &page : pages) {
        QVERIFY(_ui.openPageFromMenu(page.at(0)));
        const QString &pageName = page.at(1);
        const QString &listName = page.at(2);
        for (VkInterfaceElement *element : _ui.core.core->interfaceElements()) {
            QQuickItem *row = _ui.elementRow(pageName, listName, element->id());
            if (!row || !configurator::ElementValue::hasValue(*element))
                continue;
            QQuickItem *value = _ui.item(QStringLiteral("value_%1").arg(element->id()), row);
            QQuickItem *indicator = _ui.item(QStringLiteral("state_%1").arg(element->id()), row);
            QVERIFY2(value, qPrintable(element->nameEn()));
            // What the row shows: a field's or label's text, a combo box's entry, a switch's state.
            QString shown = _ui.text(value);
            if (value->inherits("QQuickComboBox"))
                shown = value->property("displayText").toString();
            else if (value->inherits("QQuickSwitch"))
                shown = (value->isVisible() ? value : indicator)->property("checked").toBool() ? "1" : "0";
            // The same moment's value as vk-config shows it; settings and personalization as the other
            // process read them (state values drift and clocks run on the device).
            QCOMPARE(shown, configurator::ElementValue::text(*element));
            if (element->type() != VkInterfaceElement::SlaveState) {
                QVERIFY2(printed.contains(element->id()), qPrintable(element->nameEn()));
                QCOMPARE(shown, printed.value(element->id()).value(QStringLiteral("text")).toString());
            }
            ++compared;
        }
    }
    QVERIFY2(compared >= 10, qPrintable(QString::number(compared)));
}

QTEST_MAIN(TestUiParity)
#include "tst_ui_parity.moc"
