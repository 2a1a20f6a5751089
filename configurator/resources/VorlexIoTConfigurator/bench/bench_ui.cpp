// Benchmarks of the interface, printed as figures with their goals:
//  1. start to first frame and resident memory at the first frame: the program against a bare Qt Quick
//     Material window, both started as processes in this run (offscreen, median of several starts);
//  2. a Settings page of 1000 elements: from the password entered to the first frame that shows the
//     page with its values, against a device of 10 elements (the real core on a simulated device);
//  3. the debug console: the cost of appending a line (the append and the frame after it) at 1,000 and
//     at 100,000 lines, and the frame times while scrolling at 100,000 lines.
#include "../tests/window_harness.h"

#include "configurator/config_document.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;

namespace {

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

template<class T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? T() : values.at(values.size() / 2);
}

// Diagnostics would cost more than what is measured; warnings still show.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// Runs `work` and waits for the frame after it; the microseconds from the start of `work` to the swap.
qint64 timeToFrame(QQuickWindow *window, const std::function<void()> &work)
{
    QEventLoop loop;
    const QMetaObject::Connection swapped
        = QObject::connect(window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    work();
    window->update();
    loop.exec();
    const qint64 us = clock.nsecsElapsed() / 1000;
    QObject::disconnect(swapped);
    return us;
}

struct StartFigures
{
    qint64 wallMs = -1;
    qint64 residentKb = -1;
};

// Starts `program` with `arguments` and waits for its first-frame line.
StartFigures startOnce(const QString &program, const QStringList &arguments, const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=false;qt.bluetooth*=false"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    static const QRegularExpression report(
        QStringLiteral("First frame: \\d+ ms after start, resident memory (\\d+) kB"));
    StartFigures figures;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    QByteArray out;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        process.waitForReadyRead(100);
        out += process.readAll();
        const auto match = report.match(QString::fromUtf8(out));
        if (match.hasMatch()) {
            figures.wallMs = clock.elapsed();
            figures.residentKb = match.captured(1).toLongLong();
            break;
        }
        if (clock.elapsed() > 60000)
            break;
    }
    process.waitForFinished(30000);
    if (figures.wallMs < 0)
        std::fprintf(stderr, "%s gave no first frame:\n%s\n", qPrintable(program), out.constData());
    return figures;
}

void startup()
{
    constexpr int kRuns = 7;
    QTemporaryDir home;
    QList<qint64> programMs, programKb, bareMs, bareKb;
    // Alternating, after one unmeasured start each (disk cache).
    startOnce(QStringLiteral(PROGRAM_PATH),
        { QStringLiteral("--simulator"), QStringLiteral("--quit-after-first-frame") }, home);
    startOnce(QStringLiteral(BARE_WINDOW_PATH), {}, home);
    for (int run = 0; run < kRuns; ++run) {
        const StartFigures program = startOnce(QStringLiteral(PROGRAM_PATH),
            { QStringLiteral("--simulator"), QStringLiteral("--quit-after-first-frame") }, home);
        const StartFigures bare = startOnce(QStringLiteral(BARE_WINDOW_PATH), {}, home);
        programMs << program.wallMs;
        programKb << program.residentKb;
        bareMs << bare.wallMs;
        bareKb << bare.residentKb;
    }
    const qint64 pMs = median(programMs), bMs = median(bareMs);
    const double pMb = median(programKb) / 1024.0, bMb = median(bareKb) / 1024.0;
    print(QStringLiteral("start to first frame (median of %1, offscreen): program %2 ms, bare Material window %3 ms, "
                         "ratio %4 (goal <= 1.5)")
              .arg(kRuns)
              .arg(pMs)
              .arg(bMs)
              .arg(bMs > 0 ? double(pMs) / bMs : 0, 0, 'f', 2));
    print(QStringLiteral(
        "resident memory at first frame: program %1 MB, bare window %2 MB, difference %3 MB (goal <= 30)")
              .arg(pMb, 0, 'f', 1)
              .arg(bMb, 0, 'f', 1)
              .arg(pMb - bMb, 0, 'f', 1));
}

// A device definition with `count` settings of every edited data type, in a temporary folder.
simulator::DeviceCatalog largeDevice(const QTemporaryDir &dir, int count, int serial)
{
    QJsonArray profile;
    for (int i = 0; i < count; ++i) {
        QJsonObject element { { "id", 1000 + i }, { "type", "SlaveSetting" }, { "editable", "Editable" },
            { "nameEn", QStringLiteral("Setting %1").arg(i) } };
        switch (i % 6) {
        case 0:
            element.insert("dataType", "TUinteger");
            element.insert("dataSize", 2);
            element.insert("max", 60000);
            element.insert("value", i);
            break;
        case 1:
            element.insert("dataType", "TInteger");
            element.insert("dataSize", 2);
            element.insert("min", -500);
            element.insert("max", 500);
            element.insert("value", -i % 500);
            break;
        case 2:
            element.insert("dataType", "TString");
            element.insert("dataSize", 16);
            element.insert("value", QStringLiteral("text %1").arg(i));
            break;
        case 3:
            element.insert("dataType", "TEnum");
            element.insert("enumValues", QJsonArray { "Off", "On", "#Auto" });
            element.insert("value", "On");
            break;
        case 4:
            element.insert("dataType", "TBinary");
            element.insert("value", true);
            break;
        default:
            element.insert("dataType", "THexArray");
            element.insert("dataSize", 4);
            element.insert("value", "0A1B2C3D");
        }
        profile.append(element);
    }
    const QJsonObject definition { { "id", QStringLiteral("big%1").arg(count) }, { "serial", serial }, { "modelId", 7 },
        { "hardwareVersion", 1 }, { "rootPassword", "1234" },
        { "address", QStringLiteral("C4:7F:51:00:70:%1").arg(count % 100, 2, 10, QLatin1Char('0')) },
        { "name", QStringLiteral("Big %1").arg(count) }, { "firmwareVersion", "1.0" }, { "appType", "Application" },
        { "maxPacketSize", 244 }, { "profile", profile } };
    const QString folder = dir.filePath(QStringLiteral("devices%1").arg(count));
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/big.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(definition).toJson()) < 0)
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.close();
    simulator::DeviceCatalog catalog;
    catalog.loadFolder(folder);
    for (const QString &error : catalog.errors())
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return catalog;
}

// Password entered to the first frame that shows the Settings page with every element and its value.
qint64 settingsPageMs(int count, int serial)
{
    QTemporaryDir dir;
    const simulator::DeviceCatalog catalog = largeDevice(dir, count, serial);
    if (catalog.isEmpty())
        return -1;
    UiHarness ui;
    if (!ui.start(catalog))
        return -1;
    qint64 ms = -1;
    if (ui.clickName(QStringLiteral("homeConnectButton"))) {
        QQuickItem *row = ui.waitDeviceRow(catalog.definitions().constFirst());
        ui.click(row);
        if (ui.waitOpened(QStringLiteral("passwordDialog"))) {
            QQuickItem *field = ui.item(QStringLiteral("passwordField"));
            ui.click(field);
            ui.typeKeys(QStringLiteral("1234"));
            const int from = ui.core.recorder->mark();
            bool settled = false;
            QElapsedTimer clock;
            const QMetaObject::Connection frames = QObject::connect(
                ui.window, &QQuickWindow::frameSwapped, ui.window,
                [&]() {
                    if (settled || ui.core.recorder->count("loadDataToInterface", from) == 0 || ui.currentPage() != 0)
                        return;
                    QQuickItem *list = ui.item(QStringLiteral("settingsList"));
                    QObject *model = list ? list->property("model").value<QObject *>() : nullptr;
                    if (model && model->property("count").toInt() == count) {
                        ms = clock.elapsed();
                        settled = true;
                    }
                },
                Qt::DirectConnection);
            clock.start();
            QTest::keyClick(ui.window, Qt::Key_Return);
            ui.waitFor([&]() { return settled; }, 60000);
            QObject::disconnect(frames);
        }
    }
    ui.stop();
    return ms;
}

// The same connection without a window: the core and the simulated link alone.
qint64 coreOnlyMs(int count, int serial)
{
    QTemporaryDir dir;
    const simulator::DeviceCatalog catalog = largeDevice(dir, count, serial);
    core_testing::CoreHarness core;
    if (catalog.isEmpty() || !core.start(catalog))
        return -1;
    qint64 ms = -1;
    const QString uuid = core.openDeviceList(catalog.definitions().constFirst());
    const int from = core.recorder->mark();
    core.core->appCoreConnectToBleDevice(uuid);
    if (core.waitFor([&]() { return core.recorder->count("appCorePasswordRequest", from) > 0; })) {
        QElapsedTimer clock;
        clock.start();
        core.core->passwordEntered(QStringLiteral("1234"));
        if (core.waitFor([&]() { return core.recorder->count("loadDataToInterface", from) > 0; }, 60000))
            ms = clock.elapsed();
    }
    core.stop();
    return ms;
}

void settingsPage()
{
    QList<qint64> small, large, smallCore, largeCore;
    for (int run = 0; run < 3; ++run) {
        small << settingsPageMs(10, 91000010);
        large << settingsPageMs(1000, 91001000);
        smallCore << coreOnlyMs(10, 91000010);
        largeCore << coreOnlyMs(1000, 91001000);
    }
    print(
        QStringLiteral("settings page, password entered to first frame with values (median of 3): 1000 elements %1 ms "
                       "(goal < 300), 10 elements %2 ms; the core and the simulated link alone, to the values: %3 ms "
                       "and %4 ms")
            .arg(median(large))
            .arg(median(small))
            .arg(median(largeCore))
            .arg(median(smallCore)));
}

struct CompareFigures
{
    qint64 comparedMs = -1;
    qint64 frameMs = -1;
};

// A document of a 1000-element device with every value changed, loaded: from Load to the first frame
// of the compare table.
CompareFigures compareTableMs()
{
    QTemporaryDir dir;
    const simulator::DeviceCatalog catalog = largeDevice(dir, 1000, 91001000);
    UiHarness ui;
    if (catalog.isEmpty() || !ui.start(catalog) || !ui.connect(catalog.definitions().constFirst(), "1234"))
        return CompareFigures();
    QList<const VkInterfaceElement *> elements;
    for (const VkInterfaceElement *element : ui.core.core->interfaceElements())
        elements.append(element);
    QJsonObject document = configurator::ConfigDocument::make(ui.core.core->currentDevice().deviceInfo, true, elements);
    QJsonArray list = document.value(QStringLiteral("elements")).toArray();
    for (int i = 0; i < list.size(); ++i) {
        QJsonObject element = list.at(i).toObject();
        const QJsonValue value = element.value(QStringLiteral("value"));
        const QString type = element.value(QStringLiteral("dataType")).toString();
        if (type == QLatin1String("THexArray"))
            element.insert(QStringLiteral("value"), QStringLiteral("0A1B2C3E"));
        else if (value.isString())
            element.insert(QStringLiteral("value"), value.toString() + QStringLiteral("!"));
        else if (type == QLatin1String("TEnum") || type == QLatin1String("TBinary"))
            element.insert(QStringLiteral("value"), 0);
        else
            element.insert(QStringLiteral("value"), value.toDouble() + 1);
        list.replace(i, element);
    }
    document.insert(QStringLiteral("elements"), list);
    const QString path = dir.filePath(QStringLiteral("big.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(document).toJson()) < 0)
        return CompareFigures();
    file.close();
    ui.waitOpened(QStringLiteral("busyDialog"), false);
    CompareFigures figures;
    QElapsedTimer clock;
    // The first frame that shows the table (the dialog's fade-in has begun), and the moment the
    // core's comparison was ready (the device read again, the document compared).
    const QMetaObject::Connection frames = QObject::connect(
        ui.window, &QQuickWindow::frameSwapped, ui.window,
        [&]() {
            QObject *dialog = ui.object(QStringLiteral("compareDialog"));
            if (figures.frameMs < 0 && dialog && dialog->property("visible").toBool())
                figures.frameMs = clock.elapsed();
        },
        Qt::DirectConnection);
    const QMetaObject::Connection compared = QObject::connect(ui.core.core,
        &configurator::GuiQmlHandler::appCoreComparisonChanged, ui.window,
        [&]() {
            if (figures.comparedMs < 0)
                figures.comparedMs = clock.elapsed();
        },
        Qt::DirectConnection);
    clock.start();
    ui.core.core->loadConfigurationFile(path, VkInterfaceElement::SlaveSetting);
    ui.waitFor([&]() { return figures.frameMs >= 0; }, 60000);
    QObject::disconnect(frames);
    QObject::disconnect(compared);
    const int rows = ui.core.core->comparison().rows.size();
    ui.stop();
    return rows == 1000 ? figures : CompareFigures();
}

void compareTable()
{
    QList<qint64> compared, frames, tables;
    for (int run = 0; run < 3; ++run) {
        const CompareFigures figures = compareTableMs();
        compared << figures.comparedMs;
        frames << figures.frameMs;
        tables << (figures.frameMs >= 0 && figures.comparedMs >= 0 ? figures.frameMs - figures.comparedMs : -1);
    }
    print(QStringLiteral("compare table of a 1000-element document (median of 3): from Load, the device read again "
                         "and compared %1 ms, the table's first frame %2 ms; comparison to first frame %3 ms "
                         "(goal < 200)")
              .arg(median(compared))
              .arg(median(frames))
              .arg(median(tables)));
}

void debugConsole()
{
    UiHarness ui;
    if (!ui.start())
        return;
    ui.object(QStringLiteral("pageView"))->setProperty("currentIndex", 4);
    QQuickItem *list = ui.waitItem(QStringLiteral("debugList"));
    if (!list) {
        ui.stop();
        return;
    }
    auto *lines = list->property("model").value<QObject *>();
    configurator::GuiQmlHandler *core = ui.core.core;
    int next = 0;
    const auto append = [&]() {
        core->addDebugLogMessage(
            QStringLiteral("[%1] flow 12.50 m3/h, temperature 11.8 C, battery 3587 mV\n").arg(next++));
    };
    const auto appendCost = [&](int samples) {
        QList<qint64> us;
        for (int i = 0; i < samples; ++i)
            us << timeToFrame(ui.window, append);
        return median(us);
    };
    const auto fillTo = [&](int count) {
        while (lines->property("count").toInt() < count)
            append();
        // Settle: the view follows the end once.
        timeToFrame(ui.window, [] {});
        timeToFrame(ui.window, [] {});
    };
    fillTo(1000);
    const qint64 atThousand = appendCost(200);
    QElapsedTimer filling;
    filling.start();
    fillTo(100000);
    const qint64 fillMs = filling.elapsed();
    const qint64 atHundredThousand = appendCost(200);
    print(QStringLiteral("debug console, append one line and show it (median of 200): at 1,000 lines %1 ms, at 100,000 "
                         "lines %2 ms, ratio %3 (goal <= 2); 99,000 lines appended in %4 ms")
              .arg(atThousand / 1000.0, 0, 'f', 2)
              .arg(atHundredThousand / 1000.0, 0, 'f', 2)
              .arg(atThousand > 0 ? double(atHundredThousand) / atThousand : 0, 0, 'f', 2)
              .arg(fillMs));

    // Reading back: auto-scroll off, scroll up by screenfuls and jump about.
    ui.item(QStringLiteral("autoScrollSwitch"))->setProperty("checked", false);
    QList<qint64> scrolling;
    for (int i = 0; i < 100; ++i) {
        scrolling << timeToFrame(ui.window,
            [&]() { list->setProperty("contentY", list->property("contentY").toReal() - list->height() / 2); });
    }
    for (int i = 0; i < 30; ++i) {
        scrolling << timeToFrame(ui.window, [&]() {
            QMetaObject::invokeMethod(
                list, "positionViewAtIndex", Q_ARG(int, (i * 7919) % 100000), Q_ARG(int, 0 /* Beginning */));
        });
    }
    std::sort(scrolling.begin(), scrolling.end());
    print(QStringLiteral("debug console at 100,000 lines, frame after a scroll step (130 steps): median %1 ms, 95th "
                         "percentile %2 ms, worst %3 ms (smooth: within a 16.7 ms frame)")
              .arg(median(scrolling) / 1000.0, 0, 'f', 2)
              .arg(scrolling.at(scrolling.size() * 95 / 100) / 1000.0, 0, 'f', 2)
              .arg(scrolling.constLast() / 1000.0, 0, 'f', 2));
    ui.stop();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    qInstallMessageHandler(quietHandler);
    startup();
    settingsPage();
    compareTable();
    debugConsole();
    return 0;
}
