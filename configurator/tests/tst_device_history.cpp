// The history of a device on disk: whole records read back whatever a crash left at the end of the
// file, the front ends appending in turn, and the export for a spreadsheet.
#include "configurator/device_history.h"
#include "configurator/work_folders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using configurator::DeviceHistory;
using Record = DeviceHistory::Record;

namespace {

Record record(int elementId, const QString &face, const QString &after)
{
    Record made;
    made.time = QDateTime(QDate(2026, 12, 9), QTime(20, 0, elementId % 60), Qt::UTC);
    made.user = QStringLiteral("engineer");
    made.face = face;
    made.modelId = 17;
    made.serial = 10250001;
    made.firmware = QStringLiteral("2.4");
    made.elementId = elementId;
    made.elementName = QStringLiteral("Logging interval, s");
    made.before = QStringLiteral("60");
    made.after = after;
    made.outcome = QStringLiteral("ok");
    return made;
}

} // namespace

class TestDeviceHistory : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(_folder.isValid());
        configurator::WorkFolders::setBaseForTesting(_folder.path());
        QFile::remove(DeviceHistory::filePath(10250001));
    }
    void cleanupTestCase() { configurator::WorkFolders::setBaseForTesting(QString()); }
    void tornLastRecord();
    void facesInTurn();
    void csvForSpreadsheets();

private:
    QTemporaryDir _folder;
};

void TestDeviceHistory::tornLastRecord()
{
    QString error;
    QVERIFY2(DeviceHistory::append({ record(1, "window", "61"), record(2, "window", "62") }, error), qPrintable(error));
    QFile file(DeviceHistory::filePath(10250001));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    const qsizetype lastStart = whole.lastIndexOf('\n', whole.size() - 2) + 1;
    // Cut at every byte of the last record, as a crash while writing it would: the first record is
    // always read back, the last one only once it is whole.
    for (qsizetype cut = lastStart; cut <= whole.size(); ++cut) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(cut));
        file.close();
        const QList<Record> read = DeviceHistory::read(10250001);
        const bool lastWhole = cut >= whole.size() - 1;
        QVERIFY2(read.size() == (lastWhole ? 2 : 1), qPrintable(QString::number(cut)));
        QCOMPARE(read.first().after, QStringLiteral("61"));
        // The next record after a torn one starts on a line of its own and is kept.
        QVERIFY(DeviceHistory::append({ record(3, "vk-config", "63") }, error));
        const QList<Record> after = DeviceHistory::read(10250001);
        QCOMPARE(after.size(), read.size() + 1);
        QCOMPARE(after.last().after, QStringLiteral("63"));
    }
}

void TestDeviceHistory::facesInTurn()
{
    QString error;
    for (int i = 0; i < 50; ++i)
        QVERIFY(DeviceHistory::append({ record(i, i % 2 ? "vk-config" : "window", QString::number(i)) }, error));
    const QList<Record> read = DeviceHistory::read(10250001);
    QCOMPARE(read.size(), 50);
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(read.at(i).after, QString::number(i));
        QCOMPARE(read.at(i).face, i % 2 ? QStringLiteral("vk-config") : QStringLiteral("window"));
        QCOMPARE(read.at(i).time.timeSpec(), Qt::UTC);
    }
    QVERIFY(DeviceHistory::read(99).isEmpty());
}

void TestDeviceHistory::csvForSpreadsheets()
{
    Record odd = record(5, "window", QStringLiteral("=HYPERLINK(\"x\"), \"quoted\"\nnext"));
    const QList<QByteArray> lines = DeviceHistory::toCsv({ odd }).split('\n');
    QVERIFY(lines.first().startsWith("time (UTC),user,front end"));
    // A device's text never becomes a formula, and its quotes, commas and line breaks stay in the cell.
    QVERIFY2(DeviceHistory::toCsv({ odd }).contains("\"'=HYPERLINK(\"\"x\"\"), \"\"quoted\"\"\nnext\""),
        DeviceHistory::toCsv({ odd }).constData());
}

QTEST_GUILESS_MAIN(TestDeviceHistory)
#include "tst_device_history.moc"
