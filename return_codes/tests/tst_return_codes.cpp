#include "return_codes/return_codes.h"
#include "testing/log_capture.h"

#include <QtTest>

class TestReturnCodes : public QObject
{
    Q_OBJECT

private slots:
    void table_data();
    void table();
    void valuesCountUpFromTopBit();
    void debugForm_data();
    void debugForm();
    void debugFormRestoresSpacing();
    void classification();
    void badResultLine();
    void metaEnumKnowsEveryValue();
};

void TestReturnCodes::table_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("Ok") << qint64(0) << "ReturnCode::Ok" << "All is OK, enjoy";
    QTest::newRow("WarnInvalidHandler") << qint64(1) << "ReturnCode::WarnInvalidHandler" << "Module handler is NULL";
    QTest::newRow("WarnAlreadyExist") << qint64(2) << "ReturnCode::WarnAlreadyExist" << "Value or case is already existed";
    QTest::newRow("WarnNotExist") << qint64(3) << "ReturnCode::WarnNotExist" << "Value or case is NOT existed yet";
    QTest::newRow("WarnInternalError") << qint64(4) << "ReturnCode::WarnInternalError" << "Internal error - see context";
    QTest::newRow("WarnWrongPermissions") << qint64(5) << "ReturnCode::WarnWrongPermissions"
                                          << "Wrong permissions for Android or other";
    QTest::newRow("WarnUnexpectedValue") << qint64(6) << "ReturnCode::WarnUnexpectedValue" << "";
    QTest::newRow("WarnTimeout") << qint64(7) << "ReturnCode::WarnTimeout" << "";
    QTest::newRow("ErrArgumentWrongType") << qint64(-2147483648LL) << "ReturnCode::ErrArgumentWrongType" << "`";
    QTest::newRow("ErrArgumentUnsupportedValue") << qint64(-2147483647) << "ReturnCode::ErrArgumentUnsupportedValue" << "";
    QTest::newRow("ErrArgumentUnexpectedValue") << qint64(-2147483646) << "ReturnCode::ErrArgumentUnexpectedValue" << "";
    QTest::newRow("ErrArgumentPointerIsNull") << qint64(-2147483645) << "ReturnCode::ErrArgumentPointerIsNull" << "";
    QTest::newRow("ErrArgumentBadValue") << qint64(-2147483644) << "ReturnCode::ErrArgumentBadValue"
                                         << "Argument or it's derivative is invalid";
    QTest::newRow("ErrInvalidHandler") << qint64(-2147483643) << "ReturnCode::ErrInvalidHandler" << "Module handler is NULL";
    QTest::newRow("ErrInternalError") << qint64(-2147483642) << "ReturnCode::ErrInternalError"
                                      << "Internal error - see context";
    QTest::newRow("ErrUnsupported") << qint64(-2147483641) << "ReturnCode::ErrUnsupported" << "Unsupported internal case";
    QTest::newRow("ErrUnderConstruction") << qint64(-2147483640) << "ReturnCode::ErrUnderConstruction"
                                          << "Code is not finished - under developing!";
    QTest::newRow("ErrUnknownInterface") << qint64(-2147483639) << "ReturnCode::ErrUnknownInterface" << "";
    QTest::newRow("ErrAccessDenied") << qint64(-2147483638) << "ReturnCode::ErrAccessDenied" << "";
    QTest::newRow("ErrParsingInvalidSize") << qint64(-2147483637) << "ReturnCode::ErrParsingInvalidSize" << "";
    QTest::newRow("ErrParsingInvalidCrc") << qint64(-2147483636) << "ReturnCode::ErrParsingInvalidCrc" << "";
    QTest::newRow("ErrParsingInvalidArgLength") << qint64(-2147483635) << "ReturnCode::ErrParsingInvalidArgLength" << "";
    QTest::newRow("ErrParsingWrongPayloadType") << qint64(-2147483634) << "ReturnCode::ErrParsingWrongPayloadType" << "";
    QTest::newRow("ErrParsingNotEnougthData") << qint64(-2147483633) << "ReturnCode::ErrParsingNotEnougthData" << "";
    QTest::newRow("ErrParsingNotEnougthDataFields") << qint64(-2147483632) << "ReturnCode::ErrParsingNotEnougthDataFields"
                                                    << "";
    QTest::newRow("outside the table: 12") << qint64(12) << "" << "";
    QTest::newRow("outside the table: 8") << qint64(8) << "" << "";
    QTest::newRow("outside the table: top bit + 17") << qint64(-2147483631) << "" << "";
    QTest::newRow("outside the table: -1") << qint64(-1) << "" << "";
}

void TestReturnCodes::table()
{
    QFETCH(qint64, value);
    QFETCH(QString, name);
    QFETCH(QString, description);

    const auto info = return_codes::returnCodeInfo(ReturnCode(qint32(value)));
    QCOMPARE(info.first, name);
    QCOMPARE(info.second, description);
    if (!name.isEmpty()) {
        // The enumerator carries the name text without its "ReturnCode::" prefix.
        const QMetaEnum meta = QMetaEnum::fromType<ReturnCode>();
        QCOMPARE(QString::fromLatin1(meta.valueToKey(int(value))), name.mid(int(qstrlen("ReturnCode::"))));
    }
}

void TestReturnCodes::valuesCountUpFromTopBit()
{
    QCOMPARE(qint32(ReturnCode::ErrArgumentWrongType), std::numeric_limits<qint32>::min());
    QCOMPARE(quint32(ReturnCode::ErrArgumentPointerIsNull), 0x80000003u);
    QCOMPARE(quint32(ReturnCode::ErrParsingNotEnougthDataFields), 0x80000010u);
    QCOMPARE(sizeof(ReturnCode), sizeof(qint32));
}

void TestReturnCodes::debugForm_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Ok") << qint64(0) << R"(ReturnCode[0] ["ReturnCode::Ok"]{"All is OK, enjoy"})";
    QTest::newRow("pointer is null") << qint64(-2147483645)
                                     << R"(ReturnCode[-2147483645] ["ReturnCode::ErrArgumentPointerIsNull"]{""})";
    QTest::newRow("wrong type") << qint64(-2147483648LL)
                                << R"(ReturnCode[-2147483648] ["ReturnCode::ErrArgumentWrongType"]{"`"})";
    QTest::newRow("unknown 12") << qint64(12) << R"(ReturnCode[12] [""]{""})";
    QTest::newRow("apostrophe") << qint64(-2147483644)
                                << R"(ReturnCode[-2147483644] ["ReturnCode::ErrArgumentBadValue"]{"Argument or it's derivative is invalid"})";
}

void TestReturnCodes::debugForm()
{
    QFETCH(qint64, value);
    QFETCH(QString, expected);
    QString text;
    QDebug(&text) << ReturnCode(qint32(value));
    QCOMPARE(text.trimmed(), expected);
}

void TestReturnCodes::debugFormRestoresSpacing()
{
    QString spaced;
    QDebug(&spaced) << "a" << ReturnCode::Ok << "b";
    QCOMPARE(spaced, QStringLiteral(R"(a ReturnCode[0] ["ReturnCode::Ok"]{"All is OK, enjoy"} b )"));

    QString packed;
    QDebug(&packed).nospace() << "a" << ReturnCode::WarnTimeout << "b";
    QCOMPARE(packed, QStringLiteral(R"(aReturnCode[7] ["ReturnCode::WarnTimeout"]{""}b)"));
}

void TestReturnCodes::classification()
{
    QVERIFY(!return_codes::isError(ReturnCode::WarnAlreadyExist));
    QVERIFY(return_codes::isWarning(ReturnCode::WarnAlreadyExist));
    QVERIFY(!return_codes::isError(ReturnCode::Ok));
    QVERIFY(!return_codes::isWarning(ReturnCode::Ok));
    QVERIFY(return_codes::isError(ReturnCode::ErrArgumentWrongType));
    QVERIFY(return_codes::isError(ReturnCode::ErrParsingNotEnougthDataFields));
    // Plain comparison with zero is how callers test: the enumeration converts to a signed number.
    QVERIFY(ReturnCode::ErrInternalError < 0);
    QVERIFY(ReturnCode::WarnTimeout > 0);
}

void TestReturnCodes::badResultLine()
{
    vk_testing::LogCapture capture;
    QCOMPARE(return_codes::logIfError(ReturnCode::WarnAlreadyExist), ReturnCode::WarnAlreadyExist);
    QCOMPARE(return_codes::logIfError(ReturnCode::Ok), ReturnCode::Ok);
    QVERIFY(capture.entries().isEmpty());

    QCOMPARE(return_codes::logIfError(ReturnCode::ErrParsingInvalidCrc), ReturnCode::ErrParsingInvalidCrc);
    const auto entries = capture.entries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().type, QtDebugMsg);
    // "Bad result: " keeps its own trailing space and QDebug adds a second one.
    QCOMPARE(entries.first().text,
             QStringLiteral(R"(Bad result:  ReturnCode[-2147483636] ["ReturnCode::ErrParsingInvalidCrc"]{""})"));
}

void TestReturnCodes::metaEnumKnowsEveryValue()
{
    const QMetaEnum meta = QMetaEnum::fromType<ReturnCode>();
    QCOMPARE(meta.keyCount(), 25);
    for (int i = 0; i < meta.keyCount(); ++i) {
        const auto info = return_codes::returnCodeInfo(ReturnCode(meta.value(i)));
        QCOMPARE(info.first, QStringLiteral("ReturnCode::") + QString::fromLatin1(meta.key(i)));
    }
}

QTEST_GUILESS_MAIN(TestReturnCodes)
#include "tst_return_codes.moc"
