#include "configurator/state_copy_report.h"

#include "configurator/work_folders.h"

#include <QAbstractTextDocumentLayout>
#include <QDebug>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTimeZone>

namespace configurator {

namespace {

using E = VkInterfaceElement;

const QString kTableOpen = QStringLiteral("<table style = \"border-style: solid; border-color: black;\">");
const QString kPageBreak = QStringLiteral("<div style=\"page-break-before:always\"></div>");

// Markup of the report is ours; text inside it never is.
QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString cells(const QStringList &texts, const QString &cell)
{
    QString row = QStringLiteral("<tr>");
    for (const QString &text : texts)
        row += cell.arg(text);
    return row + QStringLiteral("</tr>");
}

QString keyValueRow(const QString &key, const QString &value)
{
    return cells({ key, esc(value) }, QStringLiteral("<td>%1</td>"));
}

// The time with its offset and zone: "09-12-2026 14:05:31 +01:00 Europe/Berlin".
QString extractionTime(const QDateTime &now)
{
    const int minutes = qAbs(now.offsetFromUtc()) / 60;
    return now.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))
        + QStringLiteral(" %1%2:%3 %4")
              .arg(now.offsetFromUtc() < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'))
              .arg(QString::fromLatin1(now.timeZone().id()));
}

QString afterLastScope(const QString &name)
{
    return name.section(QStringLiteral("::"), -1);
}

// The document loads nothing: no image, style sheet or link target reaches the printer.
class SealedDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl &) override { return QVariant(); }
};

QString sectionTable(const QList<StateCopyRow> &rows)
{
    QString table = kTableOpen;
    const bool settings = rows.constFirst().element.type == v_protocol::TSlaveProfile::Types::SlaveSetting;
    table += settings
        ? cells({ QStringLiteral("NameEn"), QStringLiteral("DataType"), QStringLiteral("DataSize"),
                    QStringLiteral("ValueFromApp"), QStringLiteral("ValueFromDevice"), QStringLiteral("Note") },
            QStringLiteral("<th>%1</th>"))
        : cells({ QStringLiteral("NameEn"), QStringLiteral("DataType"), QStringLiteral("DataSize"),
                    QStringLiteral("Value"), QStringLiteral("Note") },
            QStringLiteral("<th>%1</th>"));
    for (const StateCopyRow &row : rows) {
        const auto dataType = E::DataTypes(row.element.dataType);
        const int dataSize = row.element.dataSize;
        QStringList enumValues;
        for (const QString &value : row.element.enumValues)
            enumValues << esc(value);
        // A profile lists no enumeration as one empty entry.
        const QString note = enumValues.join(QString()).isEmpty()
            ? QString()
            : QStringLiteral("<p align=left>") + enumValues.join(QStringLiteral(",\n")) + QStringLiteral("</p>");
        const QString appText = E::valueText(dataType, dataSize, row.appValue);
        QStringList texts = { esc(row.element.nameEn), E::dataTypeName(dataType), QString::number(dataSize) };
        const bool isSetting = row.element.type == v_protocol::TSlaveProfile::Types::SlaveSetting;
        QString deviceText;
        if (isSetting) {
            deviceText = row.hasDeviceValue ? E::valueText(dataType, dataSize, row.deviceValue) : QString();
            texts << esc(appText) << esc(deviceText);
        } else {
            texts << esc(appText);
        }
        texts << note;
        if (dataType == E::TNoData) {
            // A caption of the profile: a header-style line inside the table.
            table += cells(texts, QStringLiteral("<th>%1</th>"));
            continue;
        }
        QString line = QStringLiteral("<tr>");
        for (int i = 0; i < texts.size(); ++i) {
            const bool differs = isSetting && (i == 4 || i == 5) && appText != deviceText;
            line += (differs ? QStringLiteral("<td bgcolor=\"red\">%1</td>") : QStringLiteral("<td>%1</td>"))
                        .arg(texts.at(i));
        }
        table += line + QStringLiteral("</tr>");
    }
    return table + QStringLiteral("</table>");
}

} // namespace

QString StateCopyReport::deviceText(const v_protocol::TSlaveApplication &device)
{
    return device.hasSerial() ? device.displayText() : QStringLiteral("No device");
}

QList<StateCopyRow> StateCopyReport::rows(const QList<VkInterfaceElement *> &elements, bool connected,
    const v_protocol::TFileWithDataElements &deviceSettings)
{
    QList<StateCopyRow> result;
    for (const VkInterfaceElement *element : elements) {
        StateCopyRow row { element->profileElement(), element->value(), false, {} };
        if (connected && element->type() == E::SlaveSetting && element->dataType() != E::TNoData) {
            v_protocol::TFileWithDataElements::Element built;
            if (element->buildDataElement(built) == ReturnCode::Ok) {
                bool found = false;
                for (const auto &fromDevice : deviceSettings.elements) {
                    if (fromDevice.id == built.id && fromDevice.dataSize == built.dataSize) {
                        row.hasDeviceValue = true;
                        row.deviceValue = fromDevice.data;
                        found = true;
                        break;
                    }
                }
                if (!found)
                    qWarning() << "Setting from device not found for ID: " << element->id();
            }
        }
        result.append(row);
    }
    return result;
}

QString StateCopyReport::html(const v_protocol::TSlaveApplication &device, const v_protocol::TAuthResponse &auth,
    const QList<StateCopyRow> &rows, const QString &debugText, const QDateTime &now,
    const QList<DeviceHistory::Record> &changes)
{
    QString doc = QStringLiteral(
        "<!DOCTYPE html><html><head><style type=\"text/css\">h1 {font-size: 16pt;}p {font-size: 11pt;}table "
        "{border-collapse: collapse;}table td, table th {font-size: 11pt;border: 1px solid black;padding: 5px;}@media "
        "print {table td, table th {font-size: 11pt;border: 1px solid black;}.pagebreak { page-break-before: always; "
        "}h1 {font-size: 16pt; page-break-before: always;}p {font-size: 11pt;}}</style></head><body><div style = "
        "'border-style: solid; border-color: black;' ><div align=center><p>%1</p></div>")
                      .arg(esc(QStringLiteral("State copy for ") + deviceText(device)));
    doc += QStringLiteral("<div align=right><p>Extraction time:%1</p></div>").arg(extractionTime(now));

    doc += QStringLiteral("<br><br><div align=center><p>Device Info</p></div><div align=center>") + kTableOpen;
    doc += keyValueRow(QStringLiteral("name"), device.Name);
    doc += keyValueRow(QStringLiteral("serial"), QString::number(device.Serial));
    doc += keyValueRow(QStringLiteral("modelId"), QString::number(device.ModelId));
    doc += keyValueRow(QStringLiteral("hwVersion"), QString::number(device.HardwareVersion));
    doc += keyValueRow(QStringLiteral("fwVersion"),
        QStringLiteral("%1:%2").arg(device.FirmwareVersion.Major).arg(device.FirmwareVersion.Minor));
    doc += QStringLiteral("</table></div>");

    doc += QStringLiteral("<br><div align=center><p>Authorization Info</p></div><div align=center>") + kTableOpen;
    doc += keyValueRow(QStringLiteral("appType"), afterLastScope(v_protocol::toText(auth.appType)));
    doc += keyValueRow(QStringLiteral("authResult"), afterLastScope(v_protocol::toText(auth.authResult)));
    doc += keyValueRow(QStringLiteral("maxPacketSize"), QString::number(auth.maxPacketSize));
    doc += QStringLiteral("</table></div>");

    doc += kPageBreak;
    doc += QStringLiteral("<div align=center><p>Debug Output</p></div>");
    const QStringList lines = debugText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!lines.isEmpty()) {
        doc += QStringLiteral("<div align=left>");
        for (const QString &line : lines)
            doc += QStringLiteral("<p>") + esc(line) + QStringLiteral("</p>");
        doc += QStringLiteral("</div>");
    }

    const QList<QPair<QString, v_protocol::TSlaveProfile::Types>> sections = {
        { QStringLiteral("Settings"), v_protocol::TSlaveProfile::Types::SlaveSetting },
        { QStringLiteral("States"), v_protocol::TSlaveProfile::Types::SlaveState },
        { QStringLiteral("Personalization"), v_protocol::TSlaveProfile::Types::PersonalizationInfo },
        { QStringLiteral("Commands"), v_protocol::TSlaveProfile::Types::SlaveCommand },
    };
    for (const auto &[title, type] : sections) {
        QList<StateCopyRow> section;
        for (const StateCopyRow &row : rows) {
            if (row.element.type == type)
                section.append(row);
        }
        doc += kPageBreak + QStringLiteral("<div align=center><p>%1</p>").arg(title);
        if (!section.isEmpty())
            doc += sectionTable(section);
        doc += QStringLiteral("</div>");
    }

    doc += kPageBreak + QStringLiteral("<div align=center><p>Changes written since connecting</p>");
    if (!changes.isEmpty()) {
        doc += kTableOpen
            + cells({ QStringLiteral("Time (UTC)"), QStringLiteral("User"), QStringLiteral("Id"),
                        QStringLiteral("NameEn"), QStringLiteral("Before"), QStringLiteral("After"),
                        QStringLiteral("Outcome") },
                QStringLiteral("<th>%1</th>"));
        for (const DeviceHistory::Record &change : changes)
            doc += cells({ esc(change.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                             esc(change.user + QStringLiteral(" (") + change.face + QStringLiteral(")")),
                             QString::number(change.elementId), esc(change.elementName), esc(change.before),
                             esc(change.after), esc(change.outcome) },
                QStringLiteral("<td>%1</td>"));
        doc += QStringLiteral("</table>");
    }
    doc += QStringLiteral("</div>");
    return doc + QStringLiteral("</body></html>");
}

QString StateCopyReport::filePath(const QString &folder, const v_protocol::TSlaveApplication &device,
    const QDateTime &now, const QString &kind, const QString &suffix)
{
    // The device names itself: its name may not reach outside the folder.
    const QString name = QStringLiteral("%1-%2-%3.%4")
                             .arg(kind, safeFileNamePart(deviceText(device)),
                                 now.toString(QStringLiteral("dd-MM-yyyy_HH-mm-ss")), suffix);
    // Spaces become underscores in the name only: the folder is where it is ("John Smith/AppData").
    return QStringLiteral("%1/%2").arg(folder, QString(name).replace(QLatin1Char(' '), QLatin1Char('_')));
}

bool StateCopyReport::print(const QString &html, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    // Each piece between two forced page breaks is a document of its own, laid out once for the
    // writer's pages: drawing a page of one long document walks all of it, which makes a report with
    // a long debug output slow to print. What comes out is the same pages.
    const QSizeF page = writer.pageLayout().paintRectPixels(writer.resolution()).size();
    const QString head = html.left(html.indexOf(QStringLiteral("<body>")) + 6);
    const QStringList pieces = html.split(kPageBreak);
    bool firstPage = true;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString piece = (i == 0 ? QString() : head) + pieces.at(i)
            + (i + 1 < pieces.size() ? QStringLiteral("</body></html>") : QString());
        SealedDocument document;
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(page);
        document.setHtml(piece);
        for (int number = 0; number < document.pageCount(); ++number) {
            if (!firstPage)
                writer.newPage();
            firstPage = false;
            const QRectF view(0, number * page.height(), page.width(), page.height());
            painter.save();
            painter.translate(0, -view.top());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = view;
            context.palette.setColor(QPalette::Text, Qt::black);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
        }
    }
    painter.end();
    const QFileInfo printed(path);
    return printed.exists() && printed.size() > 0;
}

} // namespace configurator
