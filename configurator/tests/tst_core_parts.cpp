// The pieces of the core that need no device: the debug console's buffers and the element tree.
#include "configurator/debug_console.h"
#include "configurator/interface_tree.h"
#include "configurator/vk_interface_element.h"

#include <QLoggingCategory>
#include <QTest>

using configurator::DebugConsole;
using configurator::InterfaceTree;

class TestCoreParts : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void debugResponses_data();
    void debugResponses();
    void treeOrder_data();
    void treeOrder();
    void deepTree();
};

void TestCoreParts::debugResponses_data()
{
    QTest::addColumn<QStringList>("responses");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("dialogs");

    QTest::newRow("whole lines") << QStringList { "a\nb\n" } << QStringList { "a\n", "b\n" } << QStringList();
    QTest::newRow("partial line waits") << QStringList { "par", "tial\nrest" } << QStringList { "partial\n" }
                                        << QStringList();
    QTest::newRow("dialog in one response")
        << QStringList { "xDIALOG_STARTHello!DIALOG_ENDy\n" } << QStringList { "xDIALOG_STARTHello!DIALOG_ENDy\n" }
        << QStringList { "Hello!" };
    QTest::newRow("dialog split over three")
        << QStringList { "DIALOG_ST", "ARTcalibrate", " nowDIALOG_E", "ND\n" }
        << QStringList { "DIALOG_STARTcalibrate nowDIALOG_END\n" } << QStringList { "calibrate now" };
    QTest::newRow("two dialogs") << QStringList { "DIALOG_STARTaDIALOG_ENDDIALOG_STARTbDIALOG_END" } << QStringList()
                                 << QStringList { "a", "b" };
    QTest::newRow("end without start") << QStringList { "DIALOG_ENDDIALOG_STARTcDIALOG_END" } << QStringList()
                                       << QStringList { "c" };
    QTest::newRow("markup stays text") << QStringList { "DIALOG_START<b>x</b>DIALOG_END" } << QStringList()
                                       << QStringList { "<b>x</b>" };
    const QString endless(DebugConsole::kMaxPartialLine + 1, QLatin1Char('x'));
    QTest::newRow("endless line is shown") << QStringList { endless } << QStringList { endless } << QStringList();
}

void TestCoreParts::debugResponses()
{
    QFETCH(QStringList, responses);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, dialogs);
    DebugConsole console;
    QStringList gotLines;
    QStringList gotDialogs;
    for (const QString &response : responses)
        console.takeResponse(response, gotLines, gotDialogs);
    QCOMPARE(gotLines, lines);
    QCOMPARE(gotDialogs, dialogs);

    for (const QString &line : gotLines)
        console.append(line);
    QCOMPARE(console.fullText(), gotLines.join(QString()));
    console.clear();
    QVERIFY(console.fullText().isEmpty());
    // Cleared buffers: nothing of before comes back.
    QStringList after;
    console.takeResponse(QStringLiteral("DIALOG_END\n"), after, gotDialogs);
    QCOMPARE(after, QStringList { "DIALOG_END\n" });
    QCOMPARE(gotDialogs, dialogs);
}

void TestCoreParts::treeOrder_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QList<int>>("parents");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<QList<int>>("refused");

    // Without the marker, parents do not matter: profile order.
    QTest::newRow("flat") << QList<int> { 1, 2, 3 } << QList<int> { 0, 1, 1 } << QStringList { "a", "b", "c" }
                          << QList<int> { 1, 2, 3 } << QList<int>();
    // After it, children follow their parents; an unknown parent is refused.
    QTest::newRow("hierarchical") << QList<int> { 1, 10, 20, 11, 21, 12, 30 } << QList<int> { 0, 0, 0, 10, 20, 10, 99 }
                                  << QStringList { "NEW", "g1", "g2", "a", "b", "c", "lost" }
                                  << QList<int> { 1, 10, 11, 12, 20, 21 } << QList<int> { 30 };
    // Duplicate ids: the first node found depth-first takes the children.
    QTest::newRow("duplicate ids") << QList<int> { 1, 10, 10, 11 } << QList<int> { 0, 0, 0, 10 }
                                   << QStringList { "NEW", "x", "y", "z" } << QList<int> { 1, 10, 11, 10 }
                                   << QList<int>();
    // A node naming itself as parent is not in the tree yet.
    QTest::newRow("own parent") << QList<int> { 1, 5 } << QList<int> { 0, 5 } << QStringList { "NEW", "self" }
                                << QList<int> { 1 } << QList<int> { 5 };
    QTest::newRow("marker is case-sensitive") << QList<int> { 1, 2 } << QList<int> { 0, 7 }
                                              << QStringList { "new", "b" } << QList<int> { 1, 2 } << QList<int>();
}

void TestCoreParts::treeOrder()
{
    QFETCH(QList<int>, ids);
    QFETCH(QList<int>, parents);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, expected);
    QFETCH(QList<int>, refused);
    QObject owner;
    InterfaceTree tree;
    QList<int> gotRefused;
    for (int i = 0; i < ids.size(); ++i) {
        v_protocol::TSlaveProfile::Element element;
        element.id = quint16(ids.at(i));
        element.parentId = quint16(parents.at(i));
        element.nameEn = names.at(i);
        if (!tree.insert(new VkInterfaceElement(element, &owner)))
            gotRefused << ids.at(i);
    }
    QList<int> order;
    for (const VkInterfaceElement *element : tree.preOrder())
        order << element->id();
    QCOMPARE(order, expected);
    QCOMPARE(gotRefused, refused);
}

void TestCoreParts::deepTree()
{
    // Every element under the one before, as deep as 16-bit ids go: building, walking and freeing
    // the tree neither recurse per level nor search the whole tree per element.
    QObject owner;
    InterfaceTree tree;
    v_protocol::TSlaveProfile::Element element;
    element.id = 1;
    element.nameEn = QStringLiteral("NEW");
    QVERIFY(tree.insert(new VkInterfaceElement(element, &owner)));
    element.nameEn = QStringLiteral("level");
    for (int id = 2; id <= 0xFFFF; ++id) {
        element.id = quint16(id);
        element.parentId = quint16(id - 1);
        QVERIFY(tree.insert(new VkInterfaceElement(element, &owner)));
    }
    const QList<VkInterfaceElement *> order = tree.preOrder();
    QCOMPARE(order.size(), 0xFFFF);
    QCOMPARE(order.last()->id(), 0xFFFF);
}

QTEST_GUILESS_MAIN(TestCoreParts)
#include "tst_core_parts.moc"
