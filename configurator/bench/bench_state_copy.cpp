// The state copy of a large device: 1000 interface elements and 10,000 lines of debug output, from
// the rows to the finished PDF, with the memory it takes.
#include "configurator/state_copy_report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using E = VkInterfaceElement;

namespace {

long maxResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;

    QObject owner;
    QList<VkInterfaceElement *> elements;
    v_protocol::TFileWithDataElements fromDevice;
    const QList<QPair<E::DataTypes, int>> types = { { E::TUinteger, 2 }, { E::TInteger, 4 }, { E::TString, 20 },
        { E::TEnum, 1 }, { E::THexArray, 8 }, { E::TBinary, 1 } };
    for (int i = 0; i < 1000; ++i) {
        v_protocol::TSlaveProfile::Element element;
        element.id = quint16(i + 1);
        element.type = v_protocol::TSlaveProfile::Types(i % 4);
        element.nameEn = QStringLiteral("Parameter number %1 of the device").arg(i);
        element.dataType = v_protocol::TSlaveProfile::DataTypes(types.at(i % types.size()).first);
        element.dataSize = quint16(types.at(i % types.size()).second);
        if (element.dataType == v_protocol::TSlaveProfile::DataTypes::TEnum)
            element.enumValues = { QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("#service") };
        auto *created = new VkInterfaceElement(element, &owner);
        created->setValue(QByteArray(element.dataSize, char('0' + i % 10)));
        elements << created;
        if (element.type == v_protocol::TSlaveProfile::Types::SlaveSetting)
            fromDevice.elements.append(
                { quint8(element.dataSize), element.id, QByteArray(element.dataSize, char('1')) });
    }
    QString debugText;
    for (int i = 0; i < 10000; ++i)
        debugText += QStringLiteral("[%1] flow 12.50 m3/h, temperature 11.8 C, battery 3587 mV\n").arg(i);
    v_protocol::TSlaveApplication device;
    device.Name = QStringLiteral("FM-200 Flow");
    device.Serial = 10250001;

    const long before = maxResidentKiB();
    QElapsedTimer timer;
    timer.start();
    const QList<configurator::StateCopyRow> rows = configurator::StateCopyReport::rows(elements, true, fromDevice);
    const QString html = configurator::StateCopyReport::html(device, {}, rows, debugText, QDateTime::currentDateTime());
    const qint64 htmlMs = timer.elapsed();
    const QString path = configurator::StateCopyReport::filePath(dir.path(), device, QDateTime::currentDateTime());
    if (!configurator::StateCopyReport::print(html, path))
        qFatal("bench_state_copy: no PDF");
    const qint64 totalMs = timer.elapsed();
    out << QStringLiteral(
        "state copy of 1000 elements and 10000 debug lines: %1 ms to the finished PDF (%2 ms for rows "
        "and HTML, %3 KiB of HTML), PDF %4 KiB, peak resident memory %5 MiB (+%6 MiB)\n")
               .arg(totalMs)
               .arg(htmlMs)
               .arg(html.size() * 2 / 1024)
               .arg(QFileInfo(path).size() / 1024)
               .arg(maxResidentKiB() / 1024)
               .arg((maxResidentKiB() - before) / 1024);
    return 0;
}
