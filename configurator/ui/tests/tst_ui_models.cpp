// The interface's models and value input without a window: what a typed or chosen value becomes
// before it reaches an element, which rows a page has and shows, the debug console's lines, the
// device list.
#include "configurator/ui/debug_line_model.h"
#include "configurator/ui/device_list_model.h"
#include "configurator/ui/element_input.h"
#include "configurator/ui/element_list_model.h"
#include "configurator/ui/enum_entry_model.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using configurator::DebugLineModel;
using configurator::DeviceListModel;
using configurator::ElementInput;
using configurator::ElementListModel;
using configurator::EnumEntryModel;
using E = VkInterfaceElement;
using P = v_protocol::TSlaveProfile;

namespace {

struct ElementSpec
{
    int id = 1;
    P::Types type = P::Types::SlaveSetting;
    P::Editables editable = P::Editables::Editable;
    P::DataTypes dataType = P::DataTypes::TUinteger;
    int dataSize = 2;
    int multiplier = 1;
    int min = 0;
    int max = 0;
    int parentId = 0;
    QString name = QStringLiteral("element");
    QStringList enumValues = {};
};

std::unique_ptr<E> makeElement(const ElementSpec &spec, const QByteArray &value = {})
{
    P::Element element;
    element.id = quint16(spec.id);
    element.type = spec.type;
    element.editable = spec.editable;
    element.nameEn = spec.name;
    element.nameRu = spec.name + QStringLiteral(" (ru)");
    element.parentId = quint16(spec.parentId);
    element.dataType = spec.dataType;
    element.dataSize = quint16(spec.dataSize);
    element.multiplier = spec.multiplier;
    element.min = spec.min;
    element.max = spec.max;
    element.enumValues = spec.enumValues;
    auto made = std::make_unique<E>(element);
    made->setValue(value.isEmpty() ? QByteArray(qMax(spec.dataSize, 1), '\0') : value);
    return made;
}

QByteArray littleEndian(qint64 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(P::DataTypes)
Q_DECLARE_METATYPE(P::Editables)

class TestUiModels : public QObject
{
    Q_OBJECT

private slots:
    void numbersAreClamped_data();
    void numbersAreClamped();
    void numbersAreShownDivided();
    void hexAndTextFitTheElement_data();
    void hexAndTextFitTheElement();
    void inputLimits();
    void enumerationEntries();
    void editabilityAndVisibility_data();
    void editabilityAndVisibility();
    void timesAndBitsAsText();
    void pageTakesItsKindsAndHidesRootOnlyRows();
    void collapsibleGroups();
    void debugLines();
    void debugSelectionAndCopy();
    void deviceList();
    void deviceListOrderAndFilter_data();
    void deviceListOrderAndFilter();
    void deviceListGreysSilentDevices();
};

void TestUiModels::numbersAreClamped_data()
{
    QTest::addColumn<P::DataTypes>("dataType");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<QString>("shown");

    const auto U = P::DataTypes::TUinteger;
    const auto I = P::DataTypes::TInteger;
    QTest::newRow("in range") << U << 2 << 1 << 1 << 10000 << "250" << qint64(250) << "250";
    QTest::newRow("above the maximum") << U << 2 << 1 << 1 << 10000 << "20000" << qint64(10000) << "10000";
    QTest::newRow("below the minimum") << U << 2 << 1 << 1 << 10000 << "0" << qint64(1) << "1";
    QTest::newRow("empty") << U << 2 << 1 << 1 << 10000 << "" << qint64(1) << "1";
    QTest::newRow("a sign only") << U << 2 << 1 << 1 << 10000 << "-" << qint64(1) << "1";
    QTest::newRow("a point only") << U << 2 << 1 << 1 << 10000 << "." << qint64(1) << "1";
    QTest::newRow("not a number") << U << 2 << 1 << 1 << 10000 << "12abc" << qint64(1) << "1";
    QTest::newRow("huge") << U << 2 << 1 << 1 << 10000 << "1e300" << qint64(10000) << "10000";
    QTest::newRow("multiplied") << U << 2 << 10 << 10 << 5000 << "18.4" << qint64(184) << "18.4";
    QTest::newRow("multiplied, rounded") << U << 2 << 10 << 10 << 5000 << "18.46" << qint64(185) << "18.5";
    QTest::newRow("multiplied, above") << U << 2 << 10 << 10 << 5000 << "500.06" << qint64(5000) << "500";
    QTest::newRow("multiplied, below") << U << 2 << 10 << 10 << 5000 << "0.5" << qint64(10) << "1";
    QTest::newRow("hundredths") << U << 2 << 100 << 0 << 0 << "12.05" << qint64(1205) << "12.05";
    QTest::newRow("signed below") << I << 2 << 1 << -1000 << 1000 << "-5000" << qint64(-1000) << "-1000";
    QTest::newRow("signed in range") << I << 2 << 1 << -1000 << 1000 << "-120" << qint64(-120) << "-120";
    QTest::newRow("signed, plus sign") << I << 2 << 1 << -1000 << 1000 << "+12" << qint64(12) << "12";
    // No limits in the profile: the element's bytes are the limit.
    QTest::newRow("no limits, two bytes") << U << 2 << 1 << 0 << 0 << "70000" << qint64(65535) << "65535";
    QTest::newRow("no limits, four bytes")
        << U << 4 << 1 << 0 << 0 << "5000000000" << qint64(4294967295) << "4294967295";
    QTest::newRow("no limits, eight bytes read as four")
        << U << 8 << 1 << 0 << 0 << "4294967295" << qint64(4294967295) << "4294967295";
    QTest::newRow("no limits, negative unsigned") << U << 4 << 1 << 0 << 0 << "-1" << qint64(0) << "0";
    QTest::newRow("one signed byte reads unsigned") << I << 1 << 1 << 0 << 0 << "300" << qint64(255) << "255";
    QTest::newRow("limits beyond the bytes")
        << I << 2 << 1 << -100000 << 100000 << "-40000" << qint64(-32768) << "-32768";
    QTest::newRow("zero multiplier counts as one") << U << 2 << 0 << 0 << 100 << "50" << qint64(50) << "50";
    QTest::newRow("negative multiplier") << I << 2 << -10 << -1000 << 1000 << "5" << qint64(-50) << "5";
}

void TestUiModels::numbersAreClamped()
{
    QFETCH(P::DataTypes, dataType);
    QFETCH(int, size);
    QFETCH(int, multiplier);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, typed);
    QFETCH(qint64, stored);
    QFETCH(QString, shown);
    ElementSpec spec;
    spec.dataType = dataType;
    spec.dataSize = size;
    spec.multiplier = multiplier;
    spec.min = min;
    spec.max = max;
    auto element = makeElement(spec);
    ElementInput input;
    QCOMPARE(input.commit(element.get(), typed), shown);
    // The bytes the device gets hold that value.
    QCOMPARE(element->value(), littleEndian(stored, size));
    QCOMPARE(input.text(element.get()), shown);
}

void TestUiModels::numbersAreShownDivided()
{
    ElementSpec spec;
    spec.multiplier = 100;
    auto element = makeElement(spec, littleEndian(1205, 2));
    ElementInput input;
    QCOMPARE(input.text(element.get()), QStringLiteral("12.05"));
    spec.dataType = P::DataTypes::TInteger;
    spec.multiplier = 10;
    element = makeElement(spec, littleEndian(-120, 2));
    QCOMPARE(input.text(element.get()), QStringLiteral("-12"));
    QCOMPARE(input.text(nullptr), QString());
    QCOMPARE(input.commit(nullptr, QStringLiteral("1")), QString());
}

void TestUiModels::hexAndTextFitTheElement_data()
{
    QTest::addColumn<P::DataTypes>("dataType");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("bytes");
    const auto H = P::DataTypes::THexArray;
    const auto R = P::DataTypes::TInvertedHexArray;
    const auto S = P::DataTypes::TString;
    QTest::newRow("hex, full") << H << 4 << "0a1b2c3d"
                               << "0A1B2C3D" << QByteArray::fromHex("0a1b2c3d");
    QTest::newRow("hex, too long") << H << 4 << "0123456789ab"
                                   << "01234567" << QByteArray::fromHex("01234567");
    QTest::newRow("hex, short") << H << 4 << "abc"
                                << "00000ABC" << QByteArray::fromHex("00000abc");
    QTest::newRow("hex, other characters") << H << 2 << "a-b c:d"
                                           << "ABCD" << QByteArray::fromHex("abcd");
    QTest::newRow("hex, empty") << H << 2 << ""
                                << "0000" << QByteArray(2, '\0');
    QTest::newRow("inverted hex") << R << 4 << "0A1B2C3D"
                                  << "0A1B2C3D" << QByteArray::fromHex("3d2c1b0a");
    QTest::newRow("inverted hex, too long") << R << 2 << "123456"
                                            << "1234" << QByteArray::fromHex("3412");
    QTest::newRow("text") << S << 16 << "Line 7"
                          << "Line 7" << QByteArray("Line 7\0", 7);
    QTest::newRow("text, fifteen characters") << S << 16 << "abcdefghijklmnopqrst"
                                              << "abcdefghijklmno" << QByteArray("abcdefghijklmno\0", 16);
    QTest::newRow("text, two-byte characters")
        << S << 16 << QString(8, QChar(0xE4)) << QString(7, QChar(0xE4)) << (QString(7, QChar(0xE4)).toUtf8() + '\0');
    QTest::newRow("text, a character is not split")
        << S << 4 << QStringLiteral("a\u00E4b") << QStringLiteral("a\u00E4") << QByteArray("a\xC3\xA4\0", 4);
    const QString smile = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("text, a surrogate pair is not split")
        << S << 5 << (QStringLiteral("x") + smile) << QStringLiteral("x") << QByteArray("x\0", 2);
    QTest::newRow("text, zero bytes dropped") << S << 8 << QString::fromUtf8("a\0b", 3) << "ab" << QByteArray("ab\0", 3);
    QTest::newRow("text, markup stays text") << S << 32 << "<b>x</b>"
                                             << "<b>x</b>" << QByteArray("<b>x</b>\0", 9);
}

void TestUiModels::hexAndTextFitTheElement()
{
    QFETCH(P::DataTypes, dataType);
    QFETCH(int, size);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QByteArray, bytes);
    ElementSpec spec;
    spec.dataType = dataType;
    spec.dataSize = size;
    auto element = makeElement(spec);
    ElementInput input;
    QCOMPARE(input.commit(element.get(), typed), shown);
    QCOMPARE(element->value(), bytes);
    // What was stored can be saved: it fits the element.
    v_protocol::TFileWithDataElements::Element dataElement;
    QCOMPARE(element->buildDataElement(dataElement), ReturnCode::Ok);
    QCOMPARE(dataElement.data.size(), size);
}

void TestUiModels::inputLimits()
{
    ElementInput input;
    ElementSpec spec;
    spec.dataType = P::DataTypes::THexArray;
    spec.dataSize = 4;
    auto hex = makeElement(spec);
    QCOMPARE(input.maximumLength(hex.get()), 8);
    QCOMPARE(ElementInput::inputPattern(hex.get()), QStringLiteral("^[0-9A-Fa-f]+$"));
    QValidator *validator = input.validatorFor(hex.get());
    QVERIFY(validator);
    QString text = QStringLiteral("0A1g");
    int position = 0;
    QCOMPARE(validator->validate(text, position), QValidator::Invalid);
    text = QStringLiteral("0a1B");
    QCOMPARE(validator->validate(text, position), QValidator::Acceptable);
    // One validator per element.
    QCOMPARE(input.validatorFor(hex.get()), validator);

    spec.dataType = P::DataTypes::TString;
    spec.dataSize = 16;
    auto text16 = makeElement(spec);
    QCOMPARE(input.maximumLength(text16.get()), 15);
    QVERIFY(!input.validatorFor(text16.get())); // no pattern in the profile
    spec.dataSize = 1;
    QCOMPARE(input.maximumLength(makeElement(spec).get()), 0);

    // A profile pattern is used when it is a regular expression, left out otherwise.
    P::Element withPattern;
    withPattern.dataType = P::DataTypes::TString;
    withPattern.dataSize = 24;
    withPattern.regexp = QStringLiteral("^[a-z0-9.-]*$");
    E apn(withPattern);
    QCOMPARE(ElementInput::inputPattern(&apn), withPattern.regexp);
    text = QStringLiteral("iot.vorlex.net");
    QCOMPARE(input.validatorFor(&apn)->validate(text, position), QValidator::Acceptable);
    text = QStringLiteral("IOT");
    QCOMPARE(input.validatorFor(&apn)->validate(text, position), QValidator::Invalid);
    withPattern.regexp = QStringLiteral("^[a-z");
    E broken(withPattern);
    QCOMPARE(ElementInput::inputPattern(&broken), QString());
    QVERIFY(!input.validatorFor(&broken));

    spec.dataType = P::DataTypes::TUinteger;
    QCOMPARE(input.maximumLength(makeElement(spec).get()), 32767);
    QCOMPARE(input.maximumLength(nullptr), 32767);
}

void TestUiModels::enumerationEntries()
{
    EnumEntryModel model;
    QSignalSpy changed(&model, &EnumEntryModel::entriesChanged);
    const QStringList entries { QStringLiteral("l/h"), QStringLiteral("m³/h"), QStringLiteral("#gal/h (licence)"),
        QStringLiteral("##double") };
    model.setEntries(entries);
    QCOMPARE(changed.size(), 1);
    model.setEntries(entries);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.count(), 4);
    const QStringList shown { QStringLiteral("l/h"), QStringLiteral("m³/h"), QStringLiteral("gal/h (licence)"),
        QStringLiteral("#double") };
    const QList<bool> selectable { true, true, false, false };
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(model.data(model.index(i), EnumEntryModel::TextRole).toString(), shown.at(i));
        QCOMPARE(model.data(model.index(i), EnumEntryModel::SelectableRole).toBool(), selectable.at(i));
        QCOMPARE(model.isSelectable(i), selectable.at(i));
    }
    QVERIFY(!model.isSelectable(-1));
    QVERIFY(!model.isSelectable(4));
    QCOMPARE(model.textAt(9), QString());
    QCOMPARE(model.roleNames().value(EnumEntryModel::TextRole), QByteArray("text"));

    // Choosing: only selectable entries inside the list reach the element.
    ElementSpec spec;
    spec.dataType = P::DataTypes::TEnum;
    spec.dataSize = 1;
    spec.enumValues = entries;
    auto element = makeElement(spec, QByteArray(1, '\1'));
    ElementInput input;
    for (int index : { 2, 3, 4, -1, 255 }) {
        QVERIFY2(!input.commitEnum(element.get(), index), qPrintable(QString::number(index)));
        QCOMPARE(element->data().toInt(), 1);
    }
    QVERIFY(input.commitEnum(element.get(), 0));
    QCOMPARE(element->value(), QByteArray(1, '\0'));
    QVERIFY(!input.commitEnum(nullptr, 0));
}

void TestUiModels::editabilityAndVisibility_data()
{
    QTest::addColumn<P::Editables>("editable");
    QTest::addColumn<bool>("rootEdits");
    QTest::addColumn<bool>("userEdits");
    QTest::addColumn<bool>("userSees");
    QTest::newRow("NotEditable") << P::Editables::NotEditable << false << false << true;
    QTest::newRow("Editable") << P::Editables::Editable << true << true << true;
    QTest::newRow("RootEditable") << P::Editables::RootEditable << true << false << true;
    QTest::newRow("UserHiddenRootEditable") << P::Editables::UserHiddenRootEditable << true << false << false;
    QTest::newRow("UserHiddenRootVisible") << P::Editables::UserHiddenRootVisible << false << false << false;
    QTest::newRow("unknown value") << P::Editables(9) << false << false << true;
}

void TestUiModels::editabilityAndVisibility()
{
    QFETCH(P::Editables, editable);
    QFETCH(bool, rootEdits);
    QFETCH(bool, userEdits);
    QFETCH(bool, userSees);
    ElementSpec spec;
    spec.editable = editable;
    auto element = makeElement(spec);
    QCOMPARE(ElementInput::isEditable(element.get(), true), rootEdits);
    QCOMPARE(ElementInput::isEditable(element.get(), false), userEdits);
    QVERIFY(ElementInput::isShownTo(element.get(), true));
    QCOMPARE(ElementInput::isShownTo(element.get(), false), userSees);
    // A page takes the element for a user only when the user may see it.
    ElementListModel page;
    page.setTypes({ E::SlaveSetting });
    QCOMPARE(page.append(element.get(), false), userSees);
    QVERIFY(page.append(element.get(), true));
}

void TestUiModels::timesAndBitsAsText()
{
    const QDateTime local(QDate(2024, 3, 5), QTime(9, 7, 0), Qt::LocalTime);
    ElementSpec spec;
    spec.dataType = P::DataTypes::TUnixtime;
    spec.dataSize = 4;
    QCOMPARE(ElementInput::text(makeElement(spec, littleEndian(local.toSecsSinceEpoch(), 4)).get()),
        QStringLiteral("5-3-2024 9:7:0"));
    const QDateTime epoch = QDateTime::fromSecsSinceEpoch(0, Qt::LocalTime);
    QCOMPARE(ElementInput::text(makeElement(spec, QByteArray(4, '\0')).get()),
        epoch.toString(QStringLiteral("d-M-yyyy h:m:s")));

    spec.dataType = P::DataTypes::TBitfield;
    spec.dataSize = 2;
    auto flags = makeElement(spec, QByteArray::fromHex("1200"));
    QCOMPARE(ElementInput::text(flags.get()), QStringLiteral("0000 0000 0001 0010"));
    spec.dataSize = 1;
    QCOMPARE(ElementInput::text(makeElement(spec, QByteArray(1, '\x0b')).get()), QStringLiteral("0000 1011"));
    // A caption has no value to show.
    spec.dataType = P::DataTypes::TNoData;
    QCOMPARE(ElementInput::text(makeElement(spec).get()), QString());
    QCOMPARE(ElementInput::text(nullptr), QString());
    spec.dataType = P::DataTypes::TUinteger;

    // Names: English unless Russian is asked for and supported, or English is not.
    spec.name = QStringLiteral("Flow");
    auto named = makeElement(spec);
    QCOMPARE(ElementInput::displayName(*named, QStringLiteral("ru_RU"), false, true), QStringLiteral("Flow"));
    QCOMPARE(ElementInput::displayName(*named, QStringLiteral("ru_RU"), true, true), QStringLiteral("Flow (ru)"));
    QCOMPARE(ElementInput::displayName(*named, QStringLiteral("de_DE"), true, true), QStringLiteral("Flow"));
    QCOMPARE(ElementInput::displayName(*named, QStringLiteral("de_DE"), true, false), QStringLiteral("Flow (ru)"));
    // A device that gives no Russian name ("Speed*") is named in English in Russian too.
    P::Element speed;
    speed.nameEn = QStringLiteral("Speed");
    const E withoutRussian(speed);
    QCOMPARE(ElementInput::displayName(withoutRussian, QStringLiteral("ru_RU"), true, false), QStringLiteral("Speed"));
    QVERIFY(ElementInput::isCommand(makeElement({ 1, P::Types::SlaveCommand }).get()));
    QVERIFY(ElementInput::isCommand(makeElement({ 1, P::Types::AppCommands }).get()));
    QVERIFY(!ElementInput::isCommand(makeElement({ 1, P::Types::SlaveState }).get()));
}

void TestUiModels::pageTakesItsKindsAndHidesRootOnlyRows()
{
    ElementListModel commands;
    commands.setTypes({ E::SlaveCommand, E::AppCommands });
    commands.setApplication(false);
    QSignalSpy count(&commands, &ElementListModel::countChanged);
    auto command = makeElement({ 300, P::Types::SlaveCommand, P::Editables::RootEditable, P::DataTypes::TNoData, 0 });
    auto locate = makeElement({ 61, P::Types::AppCommands, P::Editables::Editable, P::DataTypes::TNoData, 0 });
    auto apply
        = makeElement({ 1029, P::Types::SlaveCommand, P::Editables::UserHiddenRootVisible, P::DataTypes::TNoData, 0 });
    auto setting = makeElement({ 100, P::Types::SlaveSetting });
    QVERIFY(commands.accepts(E::SlaveCommand));
    QVERIFY(!commands.accepts(E::SlaveSetting));
    QVERIFY(commands.append(command.get(), false));
    QVERIFY(commands.append(locate.get(), false));
    QVERIFY(!commands.append(apply.get(), false));
    QVERIFY(!commands.append(setting.get(), false));
    QVERIFY(!commands.append(nullptr, true));
    QCOMPARE(commands.count(), 2);
    QCOMPARE(count.size(), 2);
    QCOMPARE(commands.rowOf(61), 1);
    QCOMPARE(commands.rowOf(1029), -1);
    QCOMPARE(commands.elementAt(0), command.get());
    QCOMPARE(commands.elementAt(5), nullptr);

    // The roles the rows read.
    const QModelIndex first = commands.index(0);
    QCOMPARE(commands.data(first, ElementListModel::ElementRole).value<E *>(), command.get());
    QCOMPARE(commands.data(first, ElementListModel::IsRootRole).toBool(), false);
    QCOMPARE(commands.data(first, ElementListModel::DataTypeRole).toInt(), int(E::TNoData));
    QCOMPARE(commands.data(first, ElementListModel::IsVisibleRole).toBool(), true);
    QCOMPARE(commands.data(first, ElementListModel::IsExpandedRole).toBool(), true);
    QCOMPARE(commands.data(first, ElementListModel::IsApplicationRole).toBool(), false);
    QCOMPARE(commands.data(first, ElementListModel::ElementIdRole).toInt(), 300);
    const QHash<int, QByteArray> roles = commands.roleNames();
    for (const char *name : { "ifcElement", "isRoot", "dataType", "isVisible", "isExpanded", "isApplication" })
        QVERIFY2(roles.values().contains(QByteArray(name)), name);

    // An element deleted by the core before the page is cleared is a row without element.
    command.reset();
    QCOMPARE(commands.elementAt(0), nullptr);
    commands.clear();
    QCOMPARE(commands.count(), 0);
    QCOMPARE(commands.rowCount(), 0);

    // Application settings rows say so.
    ElementListModel appSettings;
    appSettings.setTypes({ E::AppSettings });
    appSettings.setApplication(true);
    auto autoconnect = makeElement({ 0, P::Types::AppSettings, P::Editables::Editable, P::DataTypes::TBinary, 1 });
    QVERIFY(appSettings.append(autoconnect.get(), true));
    QCOMPARE(appSettings.data(appSettings.index(0), ElementListModel::IsApplicationRole).toBool(), true);
}

void TestUiModels::collapsibleGroups()
{
    // The profile of a gateway, in the order the core announces it: a flat part, the marker, groups.
    const auto S = P::Types::SlaveSetting;
    const auto ED = P::Editables::Editable;
    const auto NO = P::DataTypes::TNoData;
    const auto U = P::DataTypes::TUinteger;
    std::vector<std::unique_ptr<E>> elements;
    const auto add = [&](int id, P::DataTypes type, int parent, P::Editables editable = P::Editables::Editable,
                         const QString &name = QStringLiteral("element")) {
        elements.push_back(makeElement({ id, S, editable, type, type == NO ? 0 : 2, 1, 0, 0, parent, name }));
        return elements.back().get();
    };
    ElementListModel page;
    page.setTypes({ E::SlaveSetting, E::AppSettings });
    page.setCollapsible(true);
    QSignalSpy hierarchical(&page, &ElementListModel::hierarchicalChanged);
    QVERIFY(page.append(add(5, U, 0), false)); // before the marker: shown, expanded
    // The marker counts for a user although its editability keeps it from users: it is never a row.
    QVERIFY(!page.append(add(1, NO, 0, P::Editables::UserHiddenRootVisible, QStringLiteral("NEW")), false));
    QVERIFY(page.isHierarchical());
    QCOMPARE(hierarchical.size(), 1);
    for (auto [id, type, parent] : std::initializer_list<std::tuple<int, P::DataTypes, int>> { { 10, NO, 0 },
             { 11, U, 10 }, { 15, NO, 10 }, { 16, U, 15 }, { 12, U, 10 }, { 20, NO, 0 }, { 21, U, 20 }, { 22, U, 0 } })
        QVERIFY(page.append(add(id, type, parent, ED), false));
    const auto visible = [&](int id) { return page.isRowVisible(page.rowOf(id)); };
    const auto expanded
        = [&](int id) { return page.data(page.index(page.rowOf(id)), ElementListModel::IsExpandedRole).toBool(); };
    const QList<int> shownAtStart { 5, 10, 20 };
    for (int id : { 5, 10, 11, 15, 16, 12, 20, 21, 22 })
        QCOMPARE(visible(id), shownAtStart.contains(id));
    QVERIFY(expanded(5));
    QVERIFY(!expanded(10));

    // Showing opens one level; hiding closes everything beneath and folds the titles beneath.
    page.showChildren(10);
    for (int id : { 11, 15, 12 })
        QVERIFY(visible(id));
    QVERIFY(!visible(16));
    page.setData(page.index(page.rowOf(15)), true, ElementListModel::IsExpandedRole);
    page.showChildren(15);
    QVERIFY(visible(16));
    QSignalSpy changes(&page, &QAbstractItemModel::dataChanged);
    page.hideChildren(10);
    for (int id : { 11, 15, 16, 12 })
        QVERIFY2(!visible(id), qPrintable(QString::number(id)));
    QVERIFY(!expanded(15));
    QVERIFY(visible(20));
    QCOMPARE(changes.size(), 5); // four rows hidden, one title folded
    page.showChildren(10);
    QVERIFY(visible(15));
    QVERIFY(!visible(16));
    // Only isExpanded can be written by a row.
    QVERIFY(!page.setData(page.index(0), false, ElementListModel::IsVisibleRole));

    // A profile that lists a group under itself does not loop.
    QVERIFY(page.append(add(30, NO, 0), false));
    QVERIFY(page.append(add(30, NO, 30), false));
    page.showChildren(30);
    page.hideChildren(30);
    QVERIFY(!page.isRowVisible(page.count() - 1));

    // Clearing forgets the marker.
    page.clear();
    QVERIFY(!page.isHierarchical());
    QVERIFY(page.append(add(40, U, 7), false));
    QVERIFY(visible(40));
    page.hideChildren(7); // a flat page ignores it
    QVERIFY(visible(40));

    // A page that does not fold groups shows the marker's followers as they come.
    ElementListModel flat;
    flat.setTypes({ E::SlaveSetting });
    QVERIFY(flat.append(add(1, NO, 0, ED, QStringLiteral("NEW")), false));
    QVERIFY(!flat.isHierarchical());
}

void TestUiModels::debugLines()
{
    DebugLineModel lines;
    QSignalSpy count(&lines, &DebugLineModel::countChanged);
    QSignalSpy rows(&lines, &QAbstractItemModel::rowsInserted);
    lines.appendText(QStringLiteral(">>>[APP]  CONNECT to device: FM-200\n"));
    lines.appendText(QStringLiteral("a\nb\nc\n"));
    QCOMPARE(lines.count(), 4);
    QCOMPARE(rows.size(), 2); // one insertion per text
    QCOMPARE(lines.lineAt(3), QStringLiteral("c"));
    // A text without its line feed is continued by the next.
    lines.appendText(QStringLiteral("half "));
    QCOMPARE(lines.count(), 5);
    QSignalSpy changed(&lines, &QAbstractItemModel::dataChanged);
    lines.appendText(QStringLiteral("and half\r\nnext"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(lines.lineAt(4), QStringLiteral("half and half"));
    QCOMPARE(lines.lineAt(5), QStringLiteral("next"));
    lines.appendText(QStringLiteral("\n"));
    lines.appendText(QStringLiteral("\n"));
    QCOMPARE(lines.count(), 7);
    QCOMPARE(lines.lineAt(5), QStringLiteral("next"));
    QCOMPARE(lines.lineAt(6), QString());
    lines.appendText(QString());
    QCOMPARE(lines.count(), 7);
    QCOMPARE(lines.data(lines.index(0), DebugLineModel::LineRole).toString(),
        QStringLiteral(">>>[APP]  CONNECT to device: FM-200"));
    QCOMPARE(lines.lineAt(99), QString());
    // Markup is kept as it came.
    lines.appendText(QStringLiteral("<b>x</b>\n"));
    QCOMPARE(lines.lineAt(7), QStringLiteral("<b>x</b>"));

    lines.clear();
    QCOMPARE(lines.count(), 0);
    // After a clear nothing is continued.
    lines.appendText(QStringLiteral("fresh\n"));
    QCOMPARE(lines.lineAt(0), QStringLiteral("fresh"));
    QVERIFY(count.size() >= 4);
}

void TestUiModels::debugSelectionAndCopy()
{
    DebugLineModel lines;
    lines.appendText(QStringLiteral("zero\none\ntwo\nthree\n"));
    QVERIFY(!lines.hasSelection());
    QCOMPARE(lines.selectedText(), QStringLiteral("zero\none\ntwo\nthree"));
    lines.select(2, false);
    QCOMPARE(lines.selectedText(), QStringLiteral("two"));
    QVERIFY(lines.data(lines.index(2), DebugLineModel::SelectedRole).toBool());
    QVERIFY(!lines.data(lines.index(1), DebugLineModel::SelectedRole).toBool());
    lines.select(0, true);
    QCOMPARE(lines.selectionStart(), 0);
    QCOMPARE(lines.selectionEnd(), 2);
    QCOMPARE(lines.selectedText(), QStringLiteral("zero\none\ntwo"));
    lines.select(3, true); // from the same anchor
    QCOMPARE(lines.selectedText(), QStringLiteral("two\nthree"));
    QCOMPARE(lines.copyToClipboard(), 2);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two\nthree"));
    lines.select(1, false);
    lines.select(1, false); // the one selected line again: nothing selected
    QVERIFY(!lines.hasSelection());
    QCOMPARE(lines.copyToClipboard(), 4);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("zero\none\ntwo\nthree"));
    lines.select(9, false);
    QVERIFY(!lines.hasSelection());
    lines.select(1, false);
    lines.clear();
    QVERIFY(!lines.hasSelection());

    // Dropping the oldest lines moves the selection, the anchor and the current match with their
    // lines; a selection wholly dropped is gone.
    lines.setMaxLines(4);
    lines.appendText(QStringLiteral("a1\nb\na2\nc\n"));
    lines.select(2, false);
    lines.select(3, true);
    lines.setFindText(QStringLiteral("A"));
    QCOMPARE(lines.matchCount(), 2);
    QCOMPARE(lines.findNext(), 0);
    QCOMPARE(lines.findNext(), 2);
    lines.appendText(QStringLiteral("d\n"));
    QCOMPARE(lines.count(), 4);
    QCOMPARE(lines.droppedLines(), 1);
    QCOMPARE(lines.matchCount(), 1);
    QCOMPARE(lines.currentMatch(), 1);
    QCOMPARE(lines.selectedText(), QStringLiteral("a2\nc"));
    lines.select(0, true); // from the moved anchor "a2"
    QCOMPARE(lines.selectedText(), QStringLiteral("b\na2"));
    lines.appendText(QStringLiteral("e\nf\ng\n"));
    QVERIFY(!lines.hasSelection());
    QCOMPARE(lines.currentMatch(), -1);
    QCOMPARE(lines.matchCount(), 0);
    QCOMPARE(lines.findNext(), -1);
    QVERIFY(lines.logText().startsWith(QStringLiteral("[4 earlier lines dropped]\n")));
}

void TestUiModels::deviceList()
{
    DeviceListModel devices;
    devices.addElement(QStringLiteral("FM-200 Flow-10250001 [v2.4]"), QStringLiteral("u1"));
    devices.addElement(QStringLiteral("GW-4 Gateway-20480017 [v1.7]"), QStringLiteral("u2"));
    QCOMPARE(devices.count(), 2);
    QSignalSpy changed(&devices, &QAbstractItemModel::dataChanged);
    // Seen again: same name, nothing changes; a new name renames the row.
    devices.addElement(QStringLiteral("FM-200 Flow-10250001 [v2.4]"), QStringLiteral("u1"));
    QCOMPARE(changed.size(), 0);
    devices.addElement(QStringLiteral("FM-200 Boot-10250001 [v1.2]"), QStringLiteral("u1"));
    QCOMPARE(devices.count(), 2);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(devices.nameAt(0), QStringLiteral("FM-200 Boot-10250001 [v1.2]"));
    QCOMPARE(devices.data(devices.index(0), DeviceListModel::UuidRole).toString(), QStringLiteral("u1"));
    QCOMPARE(devices.rowOf(QStringLiteral("u2")), 1);
    devices.removeElement(QStringLiteral("u1"));
    devices.removeElement(QStringLiteral("unknown"));
    QCOMPARE(devices.count(), 1);
    QCOMPARE(devices.uuidAt(0), QStringLiteral("u2"));
    QCOMPARE(devices.uuidAt(3), QString());
    devices.clearContent();
    QCOMPARE(devices.count(), 0);

    // Signal bars at their edges.
    const QList<QPair<int, int>> bars { { -30, 4 }, { -60, 4 }, { -61, 3 }, { -70, 3 }, { -71, 2 }, { -80, 2 },
        { -81, 1 }, { -89, 1 }, { -90, 0 }, { -120, 0 }, { 0, 0 } };
    for (const auto &[rssi, expected] : bars)
        QVERIFY2(DeviceListModel::signalBars(rssi) == expected, qPrintable(QString::number(rssi)));
}

namespace {

// uuid, rssi
using Sightings = QList<QPair<QString, int>>;

} // namespace

void TestUiModels::deviceListOrderAndFilter_data()
{
    QTest::addColumn<Sightings>("first");
    QTest::addColumn<Sightings>("then");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");

    const Sightings spread { { "u1", -70 }, { "u2", -50 }, { "u3", -60 } };
    QTest::newRow("strongest first") << spread << Sightings() << QString() << QStringList { "u2", "u3", "u1" };
    QTest::newRow("ties keep their arrival order")
        << Sightings { { "u1", -60 }, { "u2", -60 }, { "u3", -60 } } << Sightings() << QString()
        << QStringList { "u1", "u2", "u3" };
    // u1 comes up to u2's strength: u2 was shown first and stays first.
    QTest::newRow("ties keep the order shown")
        << spread << Sightings { { "u1", -50 } } << QString() << QStringList { "u2", "u1", "u3" };
    QTest::newRow("a new strength moves a row")
        << spread << Sightings { { "u1", -40 }, { "u2", -75 } } << QString() << QStringList { "u1", "u3", "u2" };
    QTest::newRow("unmeasured last")
        << Sightings { { "u1", 0 }, { "u2", -95 }, { "u3", -80 } } << Sightings() << QString()
        << QStringList { "u3", "u2", "u1" };
    QTest::newRow("serial only") << spread << Sightings() << "3005" << QStringList { "u3" };
    QTest::newRow("name in any case") << spread << Sightings() << "gw-4" << QStringList { "u2" };
    QTest::newRow("serial in the name") << spread << Sightings() << "10250001" << QStringList { "u1" };
    QTest::newRow("filtered rows keep the order")
        << spread << Sightings { { "u3", -40 } } << "a" << QStringList { "u3", "u2" };
    QTest::newRow("nothing matches") << spread << Sightings() << "xyz" << QStringList();
}

void TestUiModels::deviceListOrderAndFilter()
{
    QFETCH(Sightings, first);
    QFETCH(Sightings, then);
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);

    // The advertised name carries the serial number, except for the valve's here.
    const QHash<QString, QPair<QString, QString>> devices {
        { "u1", { "FM-200 Flow-10250001 [v2.4]", "10250001" } },
        { "u2", { "GW-4 Gateway-20480017 [v1.7]", "20480017" } },
        { "u3", { "VC-1 Valve", "30050005" } },
    };
    DeviceListModel list;
    const auto order = [&list]() {
        QStringList uuids;
        for (int row = 0; row < list.count(); ++row)
            uuids << list.uuidAt(row);
        return uuids;
    };
    for (const auto &[uuid, rssi] : first) {
        list.addElement(devices.value(uuid).first, uuid);
        list.heard(uuid, devices.value(uuid).second, rssi);
    }
    // Rows wait in their arrival order until the list is put in order.
    QStringList arrived;
    for (const auto &sighting : first)
        arrived << sighting.first;
    QCOMPARE(order(), arrived);
    list.refresh();
    const QStringList before = order();
    for (const auto &[uuid, rssi] : then)
        list.heard(uuid, devices.value(uuid).second, rssi);
    // A new strength moves nothing before the next ordering either.
    QCOMPARE(order(), before);
    list.refresh();
    list.setFilter(filter);
    QCOMPARE(order(), shown);
    QCOMPARE(list.count(), shown.size());
    for (int row = 0; row < shown.size(); ++row)
        QCOMPARE(list.rowOf(shown.at(row)), row);
    // Without the filter every row is back, in the same order.
    list.setFilter(QString());
    QCOMPARE(list.count(), 3);
    QStringList unfiltered = order();
    unfiltered.removeIf([&](const QString &uuid) { return !shown.contains(uuid); });
    QCOMPARE(unfiltered, shown);
}

void TestUiModels::deviceListGreysSilentDevices()
{
    DeviceListModel list;
    list.setStaleAfter(200);
    list.setResortInterval(20);
    list.setLastConnectedSerial(QStringLiteral("20480017"));
    list.addElement(QStringLiteral("FM-200 Flow-10250001 [v2.4]"), QStringLiteral("u1"));
    list.addElement(QStringLiteral("GW-4 Gateway-20480017 [v1.7]"), QStringLiteral("u2"));
    list.heard(QStringLiteral("u1"), QStringLiteral("10250001"), -60);
    list.heard(QStringLiteral("u2"), QStringLiteral("20480017"), -70);
    const auto role = [&list](const char *uuid, int which) {
        return list.data(list.index(list.rowOf(QString::fromLatin1(uuid))), which);
    };
    QVERIFY(role("u2", DeviceListModel::LastConnectedRole).toBool());
    QVERIFY(!role("u1", DeviceListModel::LastConnectedRole).toBool());
    QCOMPARE(role("u2", DeviceListModel::BarsRole).toInt(), 3);
    QVERIFY(!role("u1", DeviceListModel::StaleRole).toBool());
    // u1 keeps advertising, u2 falls silent.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]() {
            list.heard(QStringLiteral("u1"), QStringLiteral("10250001"), -60);
            return role("u2", DeviceListModel::StaleRole).toBool();
        }(),
        10000);
    QVERIFY(!role("u1", DeviceListModel::StaleRole).toBool());
    // Heard again, it is shown as before.
    list.heard(QStringLiteral("u2"), QStringLiteral("20480017"), -70);
    QVERIFY(!role("u2", DeviceListModel::StaleRole).toBool());
}

QTEST_MAIN(TestUiModels)
#include "tst_ui_models.moc"
