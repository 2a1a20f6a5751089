#include "app/log_handler.h"
#include "testing/process_run.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QRegularExpression kLinePattern(
    QStringLiteral(R"(^\[(\d\d)\.(\d\d)\.(\d{4})/(\d\d):(\d\d):(\d\d)\.(\d{3})\]\[([A-Z]+)\]\[(.*?)\] (.*)$)"),
    QRegularExpression::DotMatchesEverythingOption);

struct ProbeRun
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::NormalExit;
    QStringList lines;
};

ProbeRun runProbe(const QString &scenario)
{
    const vk_testing::ProcessRun process = vk_testing::runProcess(QStringLiteral(LOG_PROBE_PATH), { scenario });
    ProbeRun run;
    if (!process.finished)
        return run;
    run.exitCode = process.exitCode;
    run.status = process.status;
    for (const QByteArray &line : process.outLines())
        run.lines << QString::fromUtf8(line);
    return run;
}

} // namespace

class TestLogHandler : public QObject
{
    Q_OBJECT

private slots:
    void levelWords_data();
    void levelWords();
    void format_data();
    void format();
    void timeIsFormattedAsGivenInUtc();
    void realOutputOfTheHandler();
    void fatalIsPrintedBeforeTheAbort();
    void concurrentLinesStayWhole();
};

void TestLogHandler::levelWords_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("word");
    QTest::newRow("debug") << int(QtDebugMsg) << "DEBUG";
    QTest::newRow("warning") << int(QtWarningMsg) << "WARNING";
    QTest::newRow("critical") << int(QtCriticalMsg) << "CRITICAL";
    QTest::newRow("fatal") << int(QtFatalMsg) << "FATAL";
    QTest::newRow("info") << int(QtInfoMsg) << "INFO";
    // Values the enumeration has no name for, still within its range (anything else is undefined).
    QTest::newRow("unknown 5") << 5 << "INFO";
    QTest::newRow("unknown 7") << 7 << "INFO";
}

void TestLogHandler::levelWords()
{
    QFETCH(int, type);
    QFETCH(QString, word);
    QCOMPARE(app::logLevelWord(QtMsgType(type)), word);
}

void TestLogHandler::format_data()
{
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");

    const QString t = QStringLiteral("[07.12.2026/16:46:01.123][DEBUG]");
    QTest::newRow("no context") << false << QByteArray() << 0 << "hello" << t + "[] hello";
    QTest::newRow("with context") << true << QByteArray("x") << 12 << "hello" << t + "[[x:12]] hello";
    QTest::newRow("empty file name") << true << QByteArray("") << 7 << "m" << t + "[[:7]] m";
    QTest::newRow("percent placeholders stay")
        << false << QByteArray() << 0 << "a %1 b %2 %% %L1" << t + "[] a %1 b %2 %% %L1";
    QTest::newRow("percent in file name") << true << QByteArray("%1.cpp") << 1 << "%2" << t + "[[%1.cpp:1]] %2";
    QTest::newRow("empty text") << false << QByteArray() << 0 << "" << t + "[] ";
    QTest::newRow("brackets in text") << false << QByteArray() << 0 << "[x][y]" << t + "[] [x][y]";
    QTest::newRow("non-ascii file") << true << QByteArray("d\xc3\xa9j\xc3\xa0.cpp") << -3 << "z"
                                    << t + QString::fromUtf8("[[d\xc3\xa9j\xc3\xa0.cpp:-3]] z");
}

void TestLogHandler::format()
{
    QFETCH(bool, hasFile);
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    QFETCH(QString, message);
    QFETCH(QString, expected);
    const QDateTime time(QDate(2026, 12, 7), QTime(16, 46, 1, 123), Qt::UTC);
    QCOMPARE(app::formatLogLine(QtDebugMsg, hasFile ? file.constData() : nullptr, line, message, time), expected);
}

void TestLogHandler::timeIsFormattedAsGivenInUtc()
{
    // Midnight, first day, zero milliseconds: every field keeps its leading zeros.
    const QDateTime early(QDate(2027, 1, 2), QTime(3, 4, 5, 6), Qt::UTC);
    QCOMPARE(app::formatLogLine(QtWarningMsg, nullptr, 0, QStringLiteral("x"), early),
        QStringLiteral("[02.01.2027/03:04:05.006][WARNING][] x"));
    // 24-hour clock.
    const QDateTime late(QDate(2026, 12, 31), QTime(23, 59, 59, 999), Qt::UTC);
    QCOMPARE(app::formatLogLine(QtCriticalMsg, nullptr, 0, QStringLiteral("y"), late),
        QStringLiteral("[31.12.2026/23:59:59.999][CRITICAL][] y"));
}

void TestLogHandler::realOutputOfTheHandler()
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const ProbeRun run = runProbe(QStringLiteral("basic"));
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);

    QStringList levels, contexts, texts;
    for (const QString &line : run.lines) {
        const auto match = kLinePattern.match(line);
        if (!match.hasMatch()) {
            // The multi-line message continues on the next line of output.
            QCOMPARE(line, QStringLiteral("line"));
            continue;
        }
        const QDateTime stamp(QDate(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt()),
            QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt(),
                match.captured(7).toInt()),
            Qt::UTC);
        QVERIFY2(stamp >= before && stamp <= after, qPrintable(line.left(80)));
        levels << match.captured(8);
        contexts << match.captured(9);
        texts << match.captured(10);
    }

    const QStringList expectedLevels
        = { QStringLiteral("DEBUG"), QStringLiteral("INFO"), QStringLiteral("WARNING"), QStringLiteral("CRITICAL"),
              QStringLiteral("DEBUG"), QStringLiteral("DEBUG"), QStringLiteral("DEBUG"), QStringLiteral("DEBUG"),
              QStringLiteral("DEBUG"), QStringLiteral("INFO"), QStringLiteral("DEBUG"), QStringLiteral("DEBUG") };
    QCOMPARE(levels, expectedLevels);
    QCOMPARE(texts.at(0), QStringLiteral("plain debug"));
    QCOMPARE(texts.at(4), QStringLiteral("percent %1 %2 %% %L1 %n"));
    QCOMPARE(texts.at(5), QString());
    QCOMPARE(texts.at(6), QString::fromUtf8("bad utf8 \xef\xbf\xbd\xef\xbf\xbd end"));
    QCOMPARE(texts.at(7), QStringLiteral("Settings file:  \"/tmp/x.cfg\""));
    QCOMPARE(texts.at(8), QStringLiteral("with context"));
    QCOMPARE(contexts.at(8), QStringLiteral("[x:12]"));
    QCOMPARE(texts.at(9), QStringLiteral("unknown type"));
    QCOMPARE(texts.at(10).size(), 1 << 20);
    QCOMPARE(texts.at(11), QStringLiteral("multi"));
    for (int i = 0; i < contexts.size(); ++i) {
        if (i != 8)
            QCOMPARE(contexts.at(i), QString());
    }
}

void TestLogHandler::fatalIsPrintedBeforeTheAbort()
{
    const ProbeRun run = runProbe(QStringLiteral("fatal"));
    QCOMPARE(run.status, QProcess::CrashExit);
    QCOMPARE(run.lines.size(), 1);
    const auto match = kLinePattern.match(run.lines.first());
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(8), QStringLiteral("FATAL"));
    QCOMPARE(match.captured(10), QStringLiteral("fatal line"));
}

void TestLogHandler::concurrentLinesStayWhole()
{
    const ProbeRun run = runProbe(QStringLiteral("threads"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines.size(), 4 * 500);
    const QRegularExpression body(QStringLiteral(R"(^thread (\d) line (\d+) z{200}$)"));
    QHash<int, int> nextPerThread;
    for (const QString &line : run.lines) {
        const auto match = kLinePattern.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line.left(120)));
        const auto inner = body.match(match.captured(10));
        QVERIFY2(inner.hasMatch(), qPrintable(line.left(120)));
        // Lines of one thread keep their order.
        const int thread = inner.captured(1).toInt();
        QCOMPARE(inner.captured(2).toInt(), nextPerThread.value(thread));
        nextPerThread[thread] = inner.captured(2).toInt() + 1;
    }
}

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_log_handler.moc"
