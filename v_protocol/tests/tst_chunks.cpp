#include "testing/log_capture.h"
#include "v_protocol/t_chunked_file.h"

#include <QtTest>

using namespace v_protocol;

static TChunk chunk(quint32 fileSize, quint32 addr, const QByteArray &data, quint8 fileId = 2)
{
    TChunk c;
    c.fileId = fileId;
    c.fileSize = fileSize;
    c.addr = addr;
    c.data = data;
    c.dataSize = quint16(data.size());
    return c;
}

class TestChunks : public QObject
{
    Q_OBJECT

private slots:
    void debugForm();
    void merge_data();
    void merge();
    void mergeLogLines_data();
    void mergeLogLines();
};

void TestChunks::debugForm()
{
    TChunk c = chunk(1000, 216, QByteArray(5, 'x'), 9);
    c.dataSize = 216; // the form shows the field and the carried length separately
    QString text;
    QDebug(&text) << c << "next";
    QCOMPARE(text,
        QStringLiteral("TChunk{v_protocol::TPayloadType::FileChunk, fileId:9, fileSize:1000, addr:216, dataSize:216, "
                       "data[5]} next "));
}

void TestChunks::merge_data()
{
    QTest::addColumn<TChunkedFile>("chunks");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("merged");

    const int ok = int(ReturnCode::Ok);
    const int size = int(ReturnCode::ErrParsingInvalidSize);
    QTest::newRow("no chunks") << TChunkedFile() << int(ReturnCode::ErrParsingInvalidArgLength) << QByteArray();
    QTest::newRow("one byte file") << TChunkedFile { chunk(1, 0, "A") } << ok << QByteArray("A");
    QTest::newRow("empty file") << TChunkedFile { chunk(0, 0, "") } << ok << QByteArray();
    QTest::newRow("three parts") << TChunkedFile { chunk(7, 0, "a"), chunk(7, 1, "bcd"), chunk(7, 4, "efg") } << ok
                                 << QByteArray("abcdefg");
    QTest::newRow("empty chunk in between")
        << TChunkedFile { chunk(3, 0, "a"), chunk(3, 1, ""), chunk(3, 1, "bc") } << ok << QByteArray("abc");
    QTest::newRow("beyond its file size")
        << TChunkedFile { chunk(3, 0, "a"), chunk(3, 1, "bcd") } << size << QByteArray("a");
    // A gap or an overlap would give a corrupted image: refused.
    QTest::newRow("gap") << TChunkedFile { chunk(300, 0, QByteArray(100, 'a')), chunk(300, 200, QByteArray(100, 'c')) }
                         << size << QByteArray(100, 'a');
    QTest::newRow("repeated chunk") << TChunkedFile { chunk(4, 0, "ab"), chunk(4, 0, "ab") } << size
                                    << QByteArray("ab");
    QTest::newRow("first chunk not at 0") << TChunkedFile { chunk(4, 2, "cd") } << size << QByteArray();
    QTest::newRow("incomplete") << TChunkedFile { chunk(7, 0, "a"), chunk(7, 1, "bc") } << size << QByteArray("abc");
    QTest::newRow("size changed mid-transfer")
        << TChunkedFile { chunk(1000, 0, "a"), chunk(3, 1, "bc") } << size << QByteArray("abc");
}

void TestChunks::merge()
{
    QFETCH(TChunkedFile, chunks);
    QFETCH(int, result);
    QFETCH(QByteArray, merged);

    vk_testing::LogCapture log;
    QByteArray bytes("stale");
    QCOMPARE(int(chunks.merge(bytes)), result);
    QCOMPARE(bytes, merged);
    QCOMPARE(log.count("Bad result: "), result < 0 ? 1 : 0);
}

void TestChunks::mergeLogLines_data()
{
    QTest::addColumn<TChunkedFile>("chunks");
    QTest::addColumn<QString>("line");

    QTest::newRow("beyond file size")
        << TChunkedFile { chunk(3, 0, "a"), chunk(3, 1, "bcd") }
        << "Invalid file size: TChunk{v_protocol::TPayloadType::FileChunk, fileId:2, fileSize:3, addr:1, dataSize:3, "
           "data[3]}";
    TChunk mismatched = chunk(10, 0, "abc");
    mismatched.dataSize = 2; // built by hand: carries more than it announces
    QTest::newRow("carried length differs")
        << TChunkedFile { mismatched } << "Invalid file size: mergedSize[2], from packet[10]";
    QTest::newRow("incomplete") << TChunkedFile { chunk(7, 0, "a"), chunk(7, 1, "bc") }
                                << "Invalid file size: mergedSize[3], from packet[7]";
    QTest::newRow("gap") << TChunkedFile { chunk(9, 0, "abc"), chunk(9, 6, "ghi") }
                         << "Invalid chunk addr: expected[3], chunk TChunk{v_protocol::TPayloadType::FileChunk, "
                            "fileId:2, fileSize:9, addr:6, dataSize:3, data[3]}";
}

void TestChunks::mergeLogLines()
{
    QFETCH(TChunkedFile, chunks);
    QFETCH(QString, line);

    vk_testing::LogCapture log;
    QByteArray bytes;
    QCOMPARE(chunks.merge(bytes), ReturnCode::ErrParsingInvalidSize);
    QVERIFY2(log.texts().contains(line), qPrintable(log.texts().join('\n')));
}

QTEST_GUILESS_MAIN(TestChunks)
#include "tst_chunks.moc"
