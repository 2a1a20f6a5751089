// The rendered icons, logo and window icon are in the module's resources, at the paths the documents
// use, at their size, on a transparent background, and in the colours their names promise.
#include <QColor>
#include <QFile>
#include <QImage>

#include <QtTest>

class TestIcons : public QObject
{
    Q_OBJECT

private slots:
    void glyph_data();
    void glyph();
    void variantsShareTheGlyph_data();
    void variantsShareTheGlyph();
    void glyphsDiffer();
    void homePageLogo();
    void windowIcon();
};

namespace {
const QString kPrefix = QStringLiteral(":/configurator/resources/VorlexIoTConfigurator");

// The icons the documents refer to as icons/<name>.png and icons/<name>_white.png.
const QStringList kIconNames = {
    QStringLiteral("drawer"),
    QStringLiteral("upload"),
    QStringLiteral("download"),
    QStringLiteral("clear"),
    QStringLiteral("delete"),
    QStringLiteral("add_file"),
    QStringLiteral("share"),
    QStringLiteral("usb"),
    QStringLiteral("nfc"),
    QStringLiteral("bluetooth"),
};

// Material's dark icon colour.
const QColor kDark(0x21, 0x21, 0x21);
const QColor kPrimary(0x00, 0xA0, 0x96);

QString iconPath(const QString &name, bool white)
{
    return kPrefix + QStringLiteral("/icons/") + name + (white ? QStringLiteral("_white.png") : QStringLiteral(".png"));
}

// Loads a resource image as non-premultiplied ARGB, so that colours of half-covered pixels read true.
QImage load(const QString &path)
{
    QImage image(path);
    if (image.isNull()) {
        return image;
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

bool cornersTransparent(const QImage &image)
{
    const int w = image.width() - 1;
    const int h = image.height() - 1;
    return qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(w, 0)) == 0 && qAlpha(image.pixel(0, h)) == 0
        && qAlpha(image.pixel(w, h)) == 0;
}

QByteArray alphaMask(const QImage &image)
{
    QByteArray mask;
    mask.reserve(image.width() * image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            mask.append(char(qAlpha(image.pixel(x, y))));
        }
    }
    return mask;
}

struct ColourCount
{
    int opaque = 0; // alpha >= 128
    int matching = 0; // opaque and near the colour asked for
};

ColourCount countColour(const QImage &image, const QColor &colour, int tolerance)
{
    ColourCount count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128) {
                continue;
            }
            ++count.opaque;
            if (near(QColor::fromRgb(pixel), colour, tolerance)) {
                ++count.matching;
            }
        }
    }
    return count;
}
} // namespace

void TestIcons::glyph_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QColor>("colour");
    for (const QString &name : kIconNames) {
        QTest::addRow("%s", qPrintable(name)) << iconPath(name, false) << kDark;
        QTest::addRow("%s_white", qPrintable(name)) << iconPath(name, true) << QColor(Qt::white);
    }
}

void TestIcons::glyph()
{
    QFETCH(QString, path);
    QFETCH(QColor, colour);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QImage image = load(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(VK_ICON_PIXELS, VK_ICON_PIXELS));
    QVERIFY(image.hasAlphaChannel());
    QVERIFY2(cornersTransparent(image), "the background is not transparent");

    // A glyph covers a real part of the square, but not all of it.
    const ColourCount count = countColour(image, colour, 8);
    const int area = image.width() * image.height();
    QVERIFY2(count.opaque > area / 20, qPrintable(QStringLiteral("only %1 opaque pixels").arg(count.opaque)));
    QVERIFY2(count.opaque < area * 4 / 5, qPrintable(QStringLiteral("%1 opaque pixels").arg(count.opaque)));
    // Every pixel of the glyph has the variant's colour.
    QCOMPARE(count.matching, count.opaque);
}

void TestIcons::variantsShareTheGlyph_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : kIconNames) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void TestIcons::variantsShareTheGlyph()
{
    QFETCH(QString, name);
    const QImage dark = load(iconPath(name, false));
    const QImage white = load(iconPath(name, true));
    QVERIFY(!dark.isNull());
    QVERIFY(!white.isNull());
    QCOMPARE(white.size(), dark.size());
    // Recolouring changes the colour only: both variants cover exactly the same pixels.
    QVERIFY(alphaMask(white) == alphaMask(dark));
}

void TestIcons::glyphsDiffer()
{
    // Each name shows a glyph of its own (no source listed twice under two names).
    QHash<QByteArray, QString> seen;
    for (const QString &name : kIconNames) {
        const QImage image = load(iconPath(name, false));
        QVERIFY2(!image.isNull(), qPrintable(name));
        const QByteArray mask = alphaMask(image);
        QVERIFY2(!seen.contains(mask), qPrintable(name + QStringLiteral(" looks like ") + seen.value(mask)));
        seen.insert(mask, name);
    }
}

void TestIcons::homePageLogo()
{
    const QString path = kPrefix + QStringLiteral("/android/icon/HomePageLogo.png");
    QVERIFY(QFile::exists(path));
    const QImage logo = load(path);
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(VK_LOGO_PIXELS, VK_LOGO_PIXELS));
    // Shown on the white page: transparent around the artwork.
    QVERIFY(cornersTransparent(logo));
    // Teal artwork with a dark word mark.
    const ColourCount primary = countColour(logo, kPrimary, 12);
    const ColourCount dark = countColour(logo, QColor(0x26, 0x32, 0x38), 12);
    QVERIFY2(primary.matching > primary.opaque / 3, qPrintable(QString::number(primary.matching)));
    QVERIFY2(dark.matching > dark.opaque / 50, qPrintable(QString::number(dark.matching)));
}

void TestIcons::windowIcon()
{
    const QString path = kPrefix + QStringLiteral("/android/icon/AppIcon.png");
    QVERIFY(QFile::exists(path));
    const QImage icon = load(path);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(VK_APP_ICON_PIXELS, VK_APP_ICON_PIXELS));
    // A rounded teal tile with white artwork on it.
    QVERIFY(cornersTransparent(icon));
    QCOMPARE(QColor::fromRgb(icon.pixel(icon.width() / 2, icon.height() / 16)).name(), kPrimary.name());
    const ColourCount primary = countColour(icon, kPrimary, 4);
    const ColourCount white = countColour(icon, QColor(Qt::white), 4);
    QVERIFY2(primary.matching > primary.opaque / 2, qPrintable(QString::number(primary.matching)));
    QVERIFY2(white.matching > white.opaque / 5, qPrintable(QString::number(white.matching)));
}

QTEST_GUILESS_MAIN(TestIcons)
#include "tst_icons.moc"
