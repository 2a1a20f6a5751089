#include "testing/log_capture.h"
#include "v_protocol/t_file_transfer.h"

#include <QtTest>

using namespace v_protocol;

using Action = TReadStep::Action;
using Failure = TReadStep::Failure;

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(TReadMode)

static TChunk chunkAt(quint32 fileSize, quint32 addr, quint16 dataSize, quint8 fileId = 9)
{
    TChunk chunk;
    chunk.fileId = fileId;
    chunk.fileSize = fileSize;
    chunk.addr = addr;
    chunk.dataSize = dataSize;
    chunk.data = QByteArray(dataSize, 'd');
    return chunk;
}

static TChunkRequest request(quint8 fileId, quint32 addr, quint16 dataSize)
{
    TChunkRequest r;
    r.fileId = fileId;
    r.addr = addr;
    r.dataSize = dataSize;
    return r;
}

static QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + 7) & 0xFF);
    return bytes;
}

class TestFileTransfer : public QObject
{
    Q_OBJECT

private slots:
    void openingRequest();
    void percent_data();
    void percent();
    void readStep_data();
    void readStep();
    void readStepLogsFailures();
    void wholeRead_data();
    void wholeRead();
    void splitForWrite_data();
    void splitForWrite();
    void splitForWriteRefusals_data();
    void splitForWriteRefusals();
    void writeProgress();
    void answerRequest_data();
    void answerRequest();
    void acceptWrittenChunk_data();
    void acceptWrittenChunk();
    void wholeWrite();
};

void TestFileTransfer::openingRequest()
{
    QCOMPARE(TFileTransfer::openingRequest(4), request(4, 0, 1));
    QCOMPARE(TFileTransfer::openingRequest(4).payloadType, TPayloadType::FileChunkRequest);
}

void TestFileTransfer::percent_data()
{
    QTest::addColumn<quint64>("done");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<int>("percent");

    QTest::newRow("empty file") << quint64(0) << quint64(0) << 100;
    QTest::newRow("nothing yet") << quint64(0) << quint64(10) << 0;
    QTest::newRow("one of three") << quint64(1) << quint64(3) << 33;
    QTest::newRow("complete") << quint64(1000) << quint64(1000) << 100;
    QTest::newRow("half of 4 GiB, no overflow") << quint64(0x80000000u) << quint64(0xFFFFFFFFu) << 50;
    QTest::newRow("all of 4 GiB") << quint64(0xFFFFFFFFu) << quint64(0xFFFFFFFFu) << 100;
}

void TestFileTransfer::percent()
{
    QFETCH(quint64, done);
    QFETCH(quint64, total);
    QFETCH(int, percent);
    QCOMPARE(TFileTransfer::percent(done, total), percent);
}

void TestFileTransfer::readStep_data()
{
    QTest::addColumn<TChunk>("chunk");
    QTest::addColumn<quint64>("receivedBefore");
    QTest::addColumn<TReadMode>("mode");
    QTest::addColumn<TChunkRequest>("window");
    QTest::addColumn<int>("maxChunkDataSize");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("percent");
    QTest::addColumn<TChunkRequest>("next");

    const TReadMode ordinary = TReadMode::Ordinary;
    const TReadMode fast = TReadMode::Fast;
    const TChunkRequest none;
    const int ok = int(ReturnCode::Ok);
    const int size = int(ReturnCode::ErrParsingInvalidSize);

    QTest::newRow("one-byte file completes with the opening answer")
        << chunkAt(1, 0, 1) << quint64(0) << ordinary << none << 218 << Action::Complete << Failure::None << ok << 100
        << none;
    QTest::newRow("empty file completes at once") << chunkAt(0, 0, 0) << quint64(0) << ordinary << none << 218
                                                  << Action::Complete << Failure::None << ok << 100 << none;
    QTest::newRow("completion needs no chunk size") << chunkAt(5, 1, 4) << quint64(1) << ordinary << none << -26
                                                    << Action::Complete << Failure::None << ok << 100 << none;
    QTest::newRow("after the opening answer") << chunkAt(1000, 0, 1) << quint64(0) << ordinary << none << 218
                                              << Action::Request << Failure::None << ok << 0 << request(9, 1, 218);
    QTest::newRow("middle") << chunkAt(1000, 1, 218) << quint64(1) << ordinary << none << 218 << Action::Request
                            << Failure::None << ok << 21 << request(9, 219, 218);
    QTest::newRow("tail smaller than a chunk") << chunkAt(1000, 873, 100) << quint64(873) << ordinary << none << 218
                                               << Action::Request << Failure::None << ok << 97 << request(9, 973, 27);
    QTest::newRow("chunk size above 16 bits is capped")
        << chunkAt(200000, 0, 1) << quint64(0) << ordinary << none << 100000 << Action::Request << Failure::None << ok
        << 0 << request(9, 1, 0xFFFF);
    QTest::newRow("beyond the file size") << chunkAt(100, 90, 20) << quint64(90) << ordinary << none << 218
                                          << Action::Fail << Failure::ChunkBeyondFile << size << -1 << none;
    QTest::newRow("addr wraps past 32 bits")
        << chunkAt(0xFFFFFFFF, 0xFFFFFFF0, 0x20) << quint64(0xFFFFFFF0) << ordinary << none << 218 << Action::Fail
        << Failure::ChunkBeyondFile << size << -1 << none;
    QTest::newRow("gap after the bytes received") << chunkAt(300, 200, 100) << quint64(100) << ordinary << none << 218
                                                  << Action::Fail << Failure::UnexpectedAddress << size << -1 << none;
    QTest::newRow("repeated chunk") << chunkAt(300, 0, 100) << quint64(100) << fast << request(9, 0, 300) << 218
                                    << Action::Fail << Failure::UnexpectedAddress << size << -1 << none;
    QTest::newRow("chunk size 0") << chunkAt(1000, 0, 1) << quint64(0) << ordinary << none << 0 << Action::Fail
                                  << Failure::InvalidChunkDataSize << int(ReturnCode::ErrArgumentBadValue) << 0 << none;
    QTest::newRow("negative chunk size") << chunkAt(1000, 0, 1) << quint64(0) << ordinary << none << -26 << Action::Fail
                                         << Failure::InvalidChunkDataSize << int(ReturnCode::ErrArgumentBadValue) << 0
                                         << none;
    QTest::newRow("fast: after the opening answer")
        << chunkAt(50000, 0, 1) << quint64(0) << fast << request(9, 0, 1) << 218 << Action::Request << Failure::None
        << ok << 0 << request(9, 1, 10000);
    QTest::newRow("fast: inside the window") << chunkAt(50000, 1, 218) << quint64(1) << fast << request(9, 1, 10000)
                                             << 218 << Action::Wait << Failure::None << ok << 0 << none;
    QTest::newRow("fast: window end") << chunkAt(50000, 9783, 218) << quint64(9783) << fast << request(9, 1, 10000)
                                      << 218 << Action::Request << Failure::None << ok << 20
                                      << request(9, 10001, 10000);
    QTest::newRow("fast: last window") << chunkAt(50000, 30001, 10000) << quint64(30001) << fast
                                       << request(9, 30001, 10000) << 218 << Action::Request << Failure::None << ok
                                       << 80 << request(9, 40001, 9999);
    QTest::newRow("fast: window of file 0")
        << chunkAt(50000, 0, 1, 0) << quint64(0) << fast << request(0, 0, 1) << 218 << Action::Fail
        << Failure::InvalidFastWindow << int(ReturnCode::ErrArgumentUnexpectedValue) << 0 << none;
    QTest::newRow("fast: unset window") << chunkAt(50000, 0, 1) << quint64(0) << fast << none << 218 << Action::Fail
                                        << Failure::InvalidFastWindow << int(ReturnCode::ErrArgumentUnexpectedValue)
                                        << 0 << none;
}

void TestFileTransfer::readStep()
{
    QFETCH(TChunk, chunk);
    QFETCH(quint64, receivedBefore);
    QFETCH(TReadMode, mode);
    QFETCH(TChunkRequest, window);
    QFETCH(int, maxChunkDataSize);
    QFETCH(Action, action);
    QFETCH(Failure, failure);
    QFETCH(int, result);
    QFETCH(int, percent);
    QFETCH(TChunkRequest, next);

    vk_testing::LogCapture log;
    const TReadStep step = TFileTransfer::readStep(chunk, receivedBefore, 9, mode, window, maxChunkDataSize);
    QCOMPARE(step.action, action);
    QCOMPARE(step.failure, failure);
    QCOMPARE(int(step.result), result);
    QCOMPARE(step.received, chunk.end());
    QCOMPARE(step.percent, percent);
    QCOMPARE(step.request, next);
    QCOMPARE(log.count("Bad result: "), result < 0 ? 1 : 0);
}

void TestFileTransfer::readStepLogsFailures()
{
    vk_testing::LogCapture log;
    TFileTransfer::readStep(chunkAt(300, 200, 100), 100, 9, TReadMode::Ordinary, TChunkRequest(), 218);
    QVERIFY2(log.texts().contains("Unexpected chunk addr: received so far[100], chunk TChunk{v_protocol::TPayloadType::"
                                  "FileChunk, fileId:9, fileSize:300, addr:200, dataSize:100, data[100]}"),
        qPrintable(log.texts().join('\n')));
    log.clear();
    TFileTransfer::readStep(chunkAt(1000, 0, 1), 0, 9, TReadMode::Ordinary, TChunkRequest(), -26);
    QVERIFY(log.texts().contains("Invalid maximum chunk data size: -26"));
}

void TestFileTransfer::wholeRead_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<TReadMode>("mode");
    QTest::addColumn<int>("maxChunkDataSize");
    QTest::addColumn<QList<int>>("requestSizes");

    QTest::newRow("one byte") << 1 << TReadMode::Ordinary << 218 << QList<int> { 1 };
    QTest::newRow("empty") << 0 << TReadMode::Ordinary << 218 << QList<int> { 1 };
    QTest::newRow("1000 bytes, ordinary")
        << 1000 << TReadMode::Ordinary << 218 << QList<int> { 1, 218, 218, 218, 218, 127 };
    QTest::newRow("50000 bytes, fast") << 50000 << TReadMode::Fast << 218
                                       << QList<int> { 1, 10000, 10000, 10000, 10000, 9999 };
    QTest::newRow("fast, small chunks") << 25000 << TReadMode::Fast << 20 << QList<int> { 1, 10000, 10000, 4999 };
    QTest::newRow("fast, one window") << 5000 << TReadMode::Fast << 159 << QList<int> { 1, 4999 };
}

void TestFileTransfer::wholeRead()
{
    QFETCH(int, fileSize);
    QFETCH(TReadMode, mode);
    QFETCH(int, maxChunkDataSize);
    QFETCH(QList<int>, requestSizes);

    // The master's arithmetic against the device side's answers, with no transport in between.
    const quint8 fileId = 9;
    const QByteArray file = pattern(fileSize);
    TChunkedFile received;
    QList<int> sentSizes;
    TChunkRequest window = TFileTransfer::openingRequest(fileId);
    QList<TChunkRequest> pending { window };
    int lastPercent = -1;
    bool complete = false;
    while (!pending.isEmpty() && !complete) {
        const TChunkRequest next = pending.takeFirst();
        sentSizes.append(next.dataSize);
        QList<TChunk> answer;
        QCOMPARE(TFileTransfer::answerRequest(file, next, maxChunkDataSize, answer), ReturnCode::Ok);
        for (const TChunk &chunk : answer) {
            QVERIFY(!complete);
            const TReadStep step
                = TFileTransfer::readStep(chunk, received.receivedSize(), fileId, mode, window, maxChunkDataSize);
            QVERIFY2(step.action != Action::Fail, qPrintable(QString::number(int(step.failure))));
            QVERIFY(step.percent >= lastPercent);
            lastPercent = step.percent;
            received.append(chunk);
            if (step.action == Action::Complete)
                complete = true;
            else if (step.action == Action::Request)
                pending.append(window = step.request);
            QVERIFY(sentSizes.size() <= requestSizes.size());
        }
    }
    QVERIFY(complete);
    QCOMPARE(lastPercent, 100);
    QCOMPARE(sentSizes, requestSizes);
    QByteArray merged;
    QCOMPARE(received.merge(merged), ReturnCode::Ok);
    QCOMPARE(merged, file);
}

void TestFileTransfer::splitForWrite_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("maxChunkDataSize");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QList<int>>("sizes");

    QTest::newRow("raw file, alignment 4") << 1000 << 218 << 4 << QList<int> { 216, 216, 216, 216, 136 };
    QTest::newRow("no alignment") << 1000 << 218 << 0 << QList<int> { 218, 218, 218, 218, 128 };
    QTest::newRow("alignment 1") << 437 << 218 << 1 << QList<int> { 218, 218, 1 };
    QTest::newRow("exact multiple") << 432 << 216 << 4 << QList<int> { 216, 216 };
    QTest::newRow("one byte") << 1 << 218 << 4 << QList<int> { 1 };
    QTest::newRow("chunk size equal to alignment") << 10 << 4 << 4 << QList<int> { 4, 4, 2 };
    QTest::newRow("chunk size capped to one packet") << 70000 << 100000 << 4 << QList<int> { 65508, 4492 };
}

void TestFileTransfer::splitForWrite()
{
    QFETCH(int, size);
    QFETCH(int, maxChunkDataSize);
    QFETCH(int, alignment);
    QFETCH(QList<int>, sizes);

    vk_testing::LogCapture log;
    const QByteArray data = pattern(size);
    TChunkedFile chunks;
    QCOMPARE(TFileTransfer::splitForWrite(7, data, maxChunkDataSize, alignment, chunks), ReturnCode::Ok);
    QList<int> got;
    quint32 addr = 0;
    for (const TChunk &chunk : chunks) {
        got.append(chunk.dataSize);
        QCOMPARE(chunk.fileId, quint8(7));
        QCOMPARE(chunk.fileSize, quint32(size));
        QCOMPARE(chunk.addr, addr);
        QCOMPARE(chunk.data, data.mid(addr, chunk.dataSize));
        QVERIFY(chunk.toPayload().size() + 14 <= 0xFFFF);
        addr += chunk.dataSize;
    }
    QCOMPARE(got, sizes);
    QCOMPARE(log.count("Extra chunk added: "), sizes.size() - 1);
}

void TestFileTransfer::splitForWriteRefusals_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("maxChunkDataSize");
    QTest::addColumn<int>("alignment");

    QTest::newRow("empty data") << QByteArray() << 218 << 4;
    QTest::newRow("chunk size 0") << QByteArray(10, 'x') << 0 << 0;
    QTest::newRow("chunk size -26") << QByteArray(10, 'x') << -26 << 4;
    QTest::newRow("aligned down to 0") << QByteArray(10, 'x') << 3 << 4;
}

void TestFileTransfer::splitForWriteRefusals()
{
    QFETCH(QByteArray, data);
    QFETCH(int, maxChunkDataSize);
    QFETCH(int, alignment);

    vk_testing::LogCapture log;
    TChunkedFile chunks { TChunk() };
    QCOMPARE(
        TFileTransfer::splitForWrite(1, data, maxChunkDataSize, alignment, chunks), ReturnCode::ErrArgumentBadValue);
    QVERIFY(chunks.isEmpty());
    QCOMPARE(log.count("Bad result: "), 1);
}

void TestFileTransfer::writeProgress()
{
    QCOMPARE(TFileTransfer::writeProgress(chunkAt(1000, 0, 216)), 0);
    QCOMPARE(TFileTransfer::writeProgress(chunkAt(1000, 864, 136)), 86);
    QCOMPARE(TFileTransfer::writeProgress(chunkAt(0, 0, 0)), 100);
}

void TestFileTransfer::answerRequest_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<TChunkRequest>("request");
    QTest::addColumn<int>("maxChunkDataSize");
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<int>>("sizes");

    const int ok = int(ReturnCode::Ok);
    QTest::newRow("opening request") << 500 << request(9, 0, 1) << 218 << ok << QList<int> { 1 };
    QTest::newRow("opening request, empty file") << 0 << request(9, 0, 1) << 218 << ok << QList<int> { 0 };
    QTest::newRow("window streamed in chunks")
        << 1000 << request(9, 1, 500) << 218 << ok << QList<int> { 218, 218, 64 };
    QTest::newRow("window past the end is cut") << 300 << request(9, 250, 10000) << 218 << ok << QList<int> { 50 };
    QTest::newRow("request at the end") << 300 << request(9, 300, 10) << 218 << ok << QList<int> { 0 };
    QTest::newRow("addr beyond the end") << 300 << request(9, 301, 10) << 218 << int(ReturnCode::ErrArgumentBadValue)
                                         << QList<int> {};
    QTest::newRow("chunk size 0") << 300 << request(9, 0, 10) << 0 << int(ReturnCode::ErrArgumentBadValue)
                                  << QList<int> {};
}

void TestFileTransfer::answerRequest()
{
    QFETCH(int, fileSize);
    QFETCH(TChunkRequest, request);
    QFETCH(int, maxChunkDataSize);
    QFETCH(int, result);
    QFETCH(QList<int>, sizes);

    const QByteArray file = pattern(fileSize);
    QList<TChunk> chunks;
    QCOMPARE(int(TFileTransfer::answerRequest(file, request, maxChunkDataSize, chunks)), result);
    QList<int> got;
    quint32 addr = request.addr;
    for (const TChunk &chunk : chunks) {
        got.append(chunk.dataSize);
        QCOMPARE(chunk.fileId, request.fileId);
        QCOMPARE(chunk.fileSize, quint32(fileSize));
        QCOMPARE(chunk.addr, addr);
        QCOMPARE(chunk.data, file.mid(addr, chunk.dataSize));
        addr += chunk.dataSize;
    }
    QCOMPARE(got, sizes);
}

void TestFileTransfer::acceptWrittenChunk_data()
{
    QTest::addColumn<TChunk>("chunk");
    QTest::addColumn<quint64>("receivedBefore");
    QTest::addColumn<quint64>("maxFileSize");
    QTest::addColumn<TSystemFileResult>("status");

    QTest::newRow("first chunk") << chunkAt(1000, 0, 216) << quint64(0) << quint64(4096)
                                 << TSystemFileResult::FileResultSuccess;
    QTest::newRow("next chunk") << chunkAt(1000, 216, 216) << quint64(216) << quint64(1000)
                                << TSystemFileResult::FileResultSuccess;
    QTest::newRow("file too big") << chunkAt(1000, 0, 216) << quint64(0) << quint64(999)
                                  << TSystemFileResult::FileSizeTooBig;
    QTest::newRow("out of order") << chunkAt(1000, 432, 216) << quint64(216) << quint64(4096)
                                  << TSystemFileResult::FileResultOperationNotAllowed;
    QTest::newRow("past its file size") << chunkAt(300, 200, 216) << quint64(200) << quint64(4096)
                                        << TSystemFileResult::FileResultOperationNotAllowed;
}

void TestFileTransfer::acceptWrittenChunk()
{
    QFETCH(TChunk, chunk);
    QFETCH(quint64, receivedBefore);
    QFETCH(quint64, maxFileSize);
    QFETCH(TSystemFileResult, status);
    QCOMPARE(TFileTransfer::acceptWrittenChunk(chunk, receivedBefore, maxFileSize), status);
}

void TestFileTransfer::wholeWrite()
{
    const QByteArray data = pattern(5000);
    TChunkedFile chunks;
    QCOMPARE(TFileTransfer::splitForWrite(12, data, 159, 4, chunks), ReturnCode::Ok);
    QByteArray stored;
    int lastProgress = -1;
    for (const TChunk &chunk : chunks) {
        QVERIFY(TFileTransfer::writeProgress(chunk) > lastProgress);
        lastProgress = TFileTransfer::writeProgress(chunk);
        QCOMPARE(TFileTransfer::acceptWrittenChunk(chunk, quint64(stored.size()), 8192),
            TSystemFileResult::FileResultSuccess);
        stored.append(chunk.data);
    }
    QCOMPARE(stored, data);
    QCOMPARE(chunks.first().dataSize, quint16(156));
}

QTEST_GUILESS_MAIN(TestFileTransfer)
#include "tst_file_transfer.moc"
