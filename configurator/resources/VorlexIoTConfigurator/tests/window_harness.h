#pragma once

// The real window (qml/main.qml) on the real core and simulated devices, driven as a user does:
// find items by objectName, click them, type into them, read what they show, take screenshots.

#include "configurator/program_info.h"
#include "configurator/ui/qml_types.h"
#include "configurator/tests/core_harness.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QTest>

#include <memory>

namespace ui_testing {

using core_testing::CoreHarness;
using core_testing::kWaitMs;

inline const QString kMainDocument = QStringLiteral("qrc:/configurator/resources/VorlexIoTConfigurator/qml/main.qml");

// The test definitions of this folder, copied into `folder` with `@IMG@` replaced by `imageUrl`;
// the catalog read from there.
inline simulator::DeviceCatalog testDevices(const QString &folder, const QStringList &ids, const QString &imageUrl = {})
{
    QDir().mkpath(folder);
    for (const QString &id : ids) {
        QString source = QStringLiteral(VK_UI_TEST_DEVICES "/%1.json").arg(id);
        if (!QFile::exists(source))
            source += QStringLiteral(".in");
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("missing test device %s", qPrintable(source));
        QByteArray text = in.readAll();
        text.replace("@IMG@", imageUrl.toUtf8());
        QFile out(QStringLiteral("%1/%2.json").arg(folder, id));
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(out.fileName()));
    }
    simulator::DeviceCatalog catalog;
    if (return_codes::isError(catalog.loadFolder(folder))) {
        for (const QString &error : catalog.errors())
            qWarning().noquote() << error;
    }
    return catalog;
}

class UiHarness
{
public:
    bool start(const simulator::DeviceCatalog &catalog = core_testing::shippedDevices())
    {
        if (!core.start(catalog))
            return false;
        // As the program tells the interface when it runs on simulated devices.
        configurator::ProgramInfo::setSimulatedDevices(true);
        static bool registered = false;
        if (!registered) {
            configurator::registerQmlTypes();
            registered = true;
        }
        engine = std::make_unique<QQmlApplicationEngine>();
        engine->addImportPath(configurator::qmlImportPath());
        QObject::connect(
            engine.get(), &QQmlApplicationEngine::warnings, engine.get(), [this](const QList<QQmlError> &list) {
                for (const QQmlError &error : list)
                    warnings << error.toString();
            });
        engine->load(QUrl(kMainDocument));
        if (engine->rootObjects().isEmpty())
            return false;
        window = qobject_cast<QQuickWindow *>(engine->rootObjects().constFirst());
        return window && QTest::qWaitForWindowExposed(window);
    }

    // The engine goes first: it deletes the core it used as AppCore.
    void stop()
    {
        engine.reset();
        window = nullptr;
        core.stop();
    }

    // Every object of the window: the item tree (pages, delegates, open popups) and the object tree
    // (popups that were never opened).
    QList<QObject *> allObjects(QObject *scope = nullptr) const
    {
        QList<QObject *> found;
        QSet<QObject *> seen;
        QList<QObject *> pending;
        if (scope) {
            pending << scope;
        } else {
            QQuickItem *root = window->contentItem();
            while (root->parentItem())
                root = root->parentItem();
            pending << root << engine->rootObjects().constFirst();
        }
        while (!pending.isEmpty()) {
            QObject *object = pending.takeLast();
            if (!object || seen.contains(object))
                continue;
            seen.insert(object);
            found << object;
            for (QObject *child : object->children())
                pending << child;
            if (auto *item = qobject_cast<QQuickItem *>(object)) {
                for (QQuickItem *child : item->childItems())
                    pending << child;
            }
            // A popup's items hang under its popup item.
            if (object->inherits("QQuickPopup")) {
                if (auto *popupItem = object->property("contentItem").value<QQuickItem *>())
                    pending << popupItem->parentItem();
            }
        }
        return found;
    }

    QObject *object(const QString &name, QObject *scope = nullptr) const
    {
        for (QObject *candidate : allObjects(scope)) {
            if (candidate->objectName() == name)
                return candidate;
        }
        return nullptr;
    }

    QQuickItem *item(const QString &name, QObject *scope = nullptr) const
    {
        for (QObject *candidate : allObjects(scope)) {
            if (candidate->objectName() == name) {
                if (auto *found = qobject_cast<QQuickItem *>(candidate))
                    return found;
            }
        }
        return nullptr;
    }

    // The item once it exists and is visible (and enabled, when `enabled`), or null after the wait.
    QQuickItem *waitItem(const QString &name, QObject *scope = nullptr, bool enabled = true, int timeoutMs = kWaitMs)
    {
        QQuickItem *found = nullptr;
        (void)QTest::qWaitFor(
            [&]() {
                found = item(name, scope);
                return found && found->isVisible() && (!enabled || found->isEnabled()) && found->width() > 0;
            },
            timeoutMs);
        return found && found->isVisible() ? found : nullptr;
    }

    // The item once it exists, shown or not.
    QQuickItem *waitExisting(const QString &name, QObject *scope = nullptr, int timeoutMs = kWaitMs)
    {
        QQuickItem *found = nullptr;
        (void)QTest::qWaitFor([&]() { return (found = item(name, scope)) != nullptr; }, timeoutMs);
        return found;
    }

    bool waitFor(const std::function<bool()> &condition, int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // A popup (Dialog, overlay) once it is fully open or closed.
    // Dialogs are made when first needed: one not made yet is not open.
    bool waitOpened(const QString &name, bool opened = true)
    {
        return waitFor([&]() {
            QObject *popup = object(name);
            if (!popup)
                return !opened;
            return popup->property("opened").toBool() == opened && popup->property("visible").toBool() == opened;
        });
    }

    // Waits until `target` stops moving (rows above it may be folding open or closed).
    bool settle(QQuickItem *target)
    {
        QRectF last;
        int still = 0;
        return waitFor([&]() {
            const QRectF now = target->mapRectToScene(QRectF(0, 0, target->width(), target->height()));
            still = now == last ? still + 1 : 0;
            last = now;
            return still >= 5;
        });
    }

    void click(QQuickItem *target, Qt::KeyboardModifiers modifiers = {})
    {
        QVERIFY2(target, "nothing to click");
        QVERIFY(settle(target));
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(window, Qt::LeftButton, modifiers, centre.toPoint());
    }

    bool clickName(const QString &name, QObject *scope = nullptr)
    {
        QQuickItem *target = waitItem(name, scope);
        if (!target)
            return false;
        click(target);
        return true;
    }

    // Answers the dialog `name` with OK and waits until it has gone.
    bool acknowledge(const QString &name)
    {
        return waitOpened(name) && clickName(name + QStringLiteral("Ok")) && waitOpened(name, false);
    }

    // Replaces the text of a field as a user does: focus it, select everything, type, and press Return
    // when `commit`.
    void type(QQuickItem *field, const QString &text, bool commit = true)
    {
        QVERIFY2(field, "no field to type into");
        click(field);
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Backspace);
        typeKeys(text);
        if (commit)
            QTest::keyClick(window, Qt::Key_Return);
    }

    // Types `text` into the focused item, key by key.
    void typeKeys(const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(window, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    QString text(QObject *target) const { return target ? target->property("text").toString() : QString(); }

    // The page view's current page index.
    int currentPage() const { return object(QStringLiteral("pageView"))->property("currentIndex").toInt(); }

    // The built page (its LazyPage loaded), or null.
    QQuickItem *page(const QString &name) { return waitItem(name, nullptr, false); }

    // Makes row `row` of the list view `list` visible.
    void showRow(QQuickItem *list, int row)
    {
        QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, row), Q_ARG(int, 3 /* Contain */));
    }

    // The element row `id` of the page `pageName`, brought into view.
    QQuickItem *elementRow(const QString &pageName, const QString &listName, int id)
    {
        QQuickItem *built = page(pageName);
        if (!built)
            return nullptr;
        QQuickItem *list = item(listName, built);
        if (!list)
            return nullptr;
        int row = -1;
        QMetaObject::invokeMethod(
            list->property("model").value<QObject *>(), "rowOf", Q_RETURN_ARG(int, row), Q_ARG(int, id));
        if (row < 0)
            return nullptr;
        showRow(list, row);
        return waitExisting(QStringLiteral("element_%1").arg(id), list);
    }

    // Opens the drawer menu with its button; closes it with Escape.
    bool openDrawer()
    {
        return waitOpened(QStringLiteral("drawer"), false) && clickName(QStringLiteral("drawerButton"))
            && waitOpened(QStringLiteral("drawer"));
    }
    bool closeDrawer()
    {
        QTest::keyClick(window, Qt::Key_Escape);
        return waitOpened(QStringLiteral("drawer"), false);
    }

    // Picks a page in the drawer menu.
    bool openPageFromMenu(const QString &menuEntry)
    {
        if (!openDrawer())
            return false;
        QQuickItem *entry = waitItem(menuEntry);
        if (!entry)
            return false;
        click(entry);
        return waitOpened(QStringLiteral("drawer"), false);
    }

    // Connect on the home page, pick `device` in the list, type `password` into the password dialog;
    // true once the connect chain is over.
    bool connect(const simulator::DeviceDefinition &device, const QString &password)
    {
        if (!clickName(QStringLiteral("homeConnectButton")))
            return false;
        QQuickItem *row = waitDeviceRow(device);
        if (!row)
            return false;
        const int from = core.recorder->mark();
        click(row);
        if (!waitOpened(QStringLiteral("passwordDialog")))
            return false;
        type(item(QStringLiteral("passwordField")), password);
        return core.waitForChainEnd(from) && core.core->isConnected();
    }

    // The row of the device list that shows `device` (by its serial number).
    QQuickItem *waitDeviceRow(const simulator::DeviceDefinition &device)
    {
        if (!waitOpened(QStringLiteral("deviceListDialog")))
            return nullptr;
        QObject *dialog = object(QStringLiteral("deviceListDialog"));
        auto *devices = dialog->property("devices").value<QObject *>();
        int row = -1;
        waitFor([&]() {
            const int count = devices->property("count").toInt();
            for (int i = 0; i < count; ++i) {
                QString name;
                QMetaObject::invokeMethod(devices, "nameAt", Q_RETURN_ARG(QString, name), Q_ARG(int, i));
                if (name.contains(QString::number(device.serial)))
                    row = i;
            }
            return row >= 0;
        });
        return row >= 0 ? waitItem(QStringLiteral("deviceRow_%1").arg(row), dialog) : nullptr;
    }

    // The controls shown that a screen reader could not name: buttons, fields, switches, sliders and
    // list rows without an accessible name ("class objectName" each).
    QStringList unnamedControls() const
    {
        QStringList unnamed;
        for (QObject *object : allObjects()) {
            auto *control = qobject_cast<QQuickItem *>(object);
            if (!control || !control->isVisible()
                || !(object->inherits("QQuickAbstractButton") || object->inherits("QQuickTextField")
                    || object->inherits("QQuickComboBox") || object->inherits("QQuickSlider")))
                continue;
            // A control inside another (the text field of a combo box) is named by its owner.
            if (control->parentItem() && control->parentItem()->inherits("QQuickComboBox"))
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << QStringLiteral("%1 %2").arg(
                    QString::fromLatin1(object->metaObject()->className()), object->objectName());
        }
        return unnamed;
    }

    // Saves what the window shows as <build>/ui-screenshots/<name>.png.
    // A page still sliding into view is waited for.
    void screenshot(const QString &name) const
    {
        QObject *pages = object(QStringLiteral("pageView"));
        auto *content = pages ? pages->property("contentItem").value<QObject *>() : nullptr;
        if (content)
            (void)QTest::qWaitFor(
                [&]() {
                    const qreal at = pages->property("currentIndex").toInt() * pages->property("width").toReal();
                    return qAbs(content->property("contentX").toReal() - at) < 1;
                },
                5000);
        QDir().mkpath(QStringLiteral(VK_UI_SCREENSHOTS));
        window->grabWindow().save(QStringLiteral(VK_UI_SCREENSHOTS "/%1.png").arg(name));
    }

    CoreHarness core;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *window = nullptr;
    QStringList warnings;
};

} // namespace ui_testing
