// Handing a message to a subscriber's handler slot: lookup by name and message type, queued call
// in the subscriber's thread, the shared message object, and the failures.
#include "event_topics/i_message.h"
#include "event_topics/thread_handover.h"
#include "testing/log_capture.h"

#include <QJsonDocument>
#include <QtTest>

#include <memory>

using namespace event_topics;

namespace {

class Note : public IMessage
{
public:
    explicit Note(int value) : IMessage(TopicEntry(Device, QStringLiteral("Note"))), value(value) { }
    ReturnCode deliver(const PMessage &self, const SubscriptionInfo &subscription) override
    {
        return deliverAs<Note>(self, subscription);
    }
    const int value;
};

class Memo : public Note
{
public:
    using Note::Note;
    ReturnCode deliver(const PMessage &self, const SubscriptionInfo &subscription) override
    {
        return deliverAs<Memo>(self, subscription);
    }
};

using NoteMessage = QSharedPointer<Note>;
using MemoMessage = QSharedPointer<Memo>;

} // namespace

Q_DECLARE_METATYPE(NoteMessage)
Q_DECLARE_METATYPE(MemoMessage)

class Receiver : public QObject
{
    Q_OBJECT

public:
    QList<const Note *> received;
    QList<QThread *> threads;

public slots:
    void onNote(NoteMessage message) { keep(message.data()); }
    void onMemo(MemoMessage message) { keep(message.data()); }
    void onTwo(NoteMessage message, int) { keep(message.data()); }
    Q_INVOKABLE void invokableNote(NoteMessage message) { keep(message.data()); }

private:
    void keep(const Note *note)
    {
        received << note;
        threads << QThread::currentThread();
    }
};

class TestMessageDelivery : public QObject
{
    Q_OBJECT

private slots:
    void handlerLookup_data();
    void handlerLookup();
    void callRunsInTheSubscribersThread();
    void goneSubscriberFails();
    void subscriberDeletedBeforeTheCallRuns();
    void baseDebugForm();
};

void TestMessageDelivery::handlerLookup_data()
{
    QTest::addColumn<QString>("handler");
    QTest::addColumn<bool>("memo");
    QTest::addColumn<bool>("found");
    QTest::newRow("slot") << "onNote" << false << true;
    QTest::newRow("invokable") << "invokableNote" << false << true;
    QTest::newRow("memo to its own slot") << "onMemo" << true << true;
    // A handler takes exactly the concrete message type.
    QTest::newRow("memo to a note slot") << "onNote" << true << false;
    QTest::newRow("note to a memo slot") << "onMemo" << false << false;
    QTest::newRow("two parameters") << "onTwo" << false << false;
    QTest::newRow("no such name") << "onNothing" << false << false;
    QTest::newRow("signature, not a name") << "onNote(NoteMessage)" << false << false;
}

void TestMessageDelivery::handlerLookup()
{
    QFETCH(QString, handler);
    QFETCH(bool, memo);
    QFETCH(bool, found);
    vk_testing::LogCapture capture;
    Receiver receiver;
    const auto handle = QSharedPointer<SubscriberHandle>::create(&receiver, receiver.metaObject());
    const SubscriptionInfo subscription(handle, handler, TopicEntry(Device, QStringLiteral("Note")));
    const PMessage message(memo ? new Memo(1) : new Note(1));

    const ReturnCode result = message->deliver(message, subscription);
    QCOMPARE(result, found ? ReturnCode::Ok : ReturnCode::ErrInternalError);
    QCOMPARE(capture.count(QStringLiteral("Invalid invokeMethod!")), found ? 0 : 1);
    // Queued, never called on the spot.
    QVERIFY(receiver.received.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(receiver.received.size(), found ? 1 : 0);
}

void TestMessageDelivery::callRunsInTheSubscribersThread()
{
    QThread thread;
    auto *receiver = new Receiver;
    receiver->moveToThread(&thread);
    connect(&thread, &QThread::finished, receiver, &QObject::deleteLater);
    watchThreadEnd(&thread);
    thread.start();
    const auto handle = QSharedPointer<SubscriberHandle>::create(receiver, receiver->metaObject());
    const SubscriptionInfo subscription(handle, QStringLiteral("onNote"), TopicEntry(Device, QStringLiteral("Note")));

    auto *note = new Note(5);
    QWeakPointer<IMessage> watch;
    {
        const PMessage message(note);
        watch = message;
        for (int i = 0; i < 3; ++i)
            QCOMPARE(message->deliver(message, subscription), ReturnCode::Ok);
    }
    // The publisher's reference is gone; the queued calls still hold the message, then release it.
    QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 30000);
    bool checked = false;
    queueCall(
        receiver,
        [&] {
            checked = receiver->received == QList<const Note *> { note, note, note }
                && receiver->threads == QList<QThread *>(3, &thread);
        },
        Qt::BlockingQueuedConnection);
    QVERIFY(checked);
    thread.quit();
    waitForThreadEnd(&thread);
}

void TestMessageDelivery::goneSubscriberFails()
{
    vk_testing::LogCapture capture;
    const SubscriptionInfo noObject({}, QStringLiteral("onNote"), TopicEntry(Device, QStringLiteral("Note")));
    auto receiver = std::make_unique<Receiver>();
    const auto handle = QSharedPointer<SubscriberHandle>::create(receiver.get(), receiver->metaObject());
    const SubscriptionInfo released(handle, QStringLiteral("onNote"), TopicEntry(Device, QStringLiteral("Note")));
    handle->release();
    const PMessage message(new Note(1));
    QCOMPARE(message->deliver(message, noObject), ReturnCode::ErrInternalError);
    QCOMPARE(message->deliver(message, released), ReturnCode::ErrInternalError);
    QCOMPARE(capture.count(QStringLiteral("Invalid invokeMethod!")), 2);
    QCoreApplication::processEvents();
    QVERIFY(receiver->received.isEmpty());
}

void TestMessageDelivery::subscriberDeletedBeforeTheCallRuns()
{
    auto *receiver = new Receiver;
    const auto handle = QSharedPointer<SubscriberHandle>::create(receiver, receiver->metaObject());
    const SubscriptionInfo subscription(handle, QStringLiteral("onNote"), TopicEntry(Device, QStringLiteral("Note")));
    QWeakPointer<IMessage> watch;
    {
        const PMessage message(new Note(1));
        watch = message;
        QCOMPARE(message->deliver(message, subscription), ReturnCode::Ok);
    }
    QVERIFY(!watch.isNull()); // held by the queued call
    handle->release();
    delete receiver;
    // The queued call went with its receiver, and with it the last reference to the message.
    QVERIFY(watch.isNull());
    QCoreApplication::processEvents();
}

void TestMessageDelivery::baseDebugForm()
{
    const Note note(1);
    QCOMPARE(
        QJsonDocument(note.toJson()).toJson(QJsonDocument::Compact), QByteArray(R"({"messageName":"base IMessage"})"));
    QCOMPARE(note.getTopicEntry().key(), QStringLiteral("Device/Note"));
}

QTEST_GUILESS_MAIN(TestMessageDelivery)
#include "tst_message_delivery.moc"
