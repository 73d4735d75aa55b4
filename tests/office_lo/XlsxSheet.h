#pragma once

// Reads back the first worksheet of an .xlsx file as the office wrote it: cell values with their types, the
// font, alignment and border of each cell's style, row heights and column widths.

#include <QHash>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>

namespace quotaly::test {

struct XlsxCell
{
    enum class Type
    {
        Empty,
        Number,
        Text
    };
    Type type = Type::Empty;
    QString text;
    double number = 0;
    bool bold = false;
    bool wrap = false;
    QString horizontal;
    QString vertical;
    QString borders; ///< the thin sides among "LRTB"
};

class XlsxSheet
{
public:
    /// Loads the file; error() says why it could not.
    explicit XlsxSheet(const QString &fileName)
    {
        const QByteArray sheet = entry(fileName, QStringLiteral("xl/worksheets/sheet1.xml"));
        if (sheet.isEmpty()) {
            m_error = QStringLiteral("no first worksheet in %1").arg(fileName);
            return;
        }
        readSharedStrings(entry(fileName, QStringLiteral("xl/sharedStrings.xml")));
        readStyles(entry(fileName, QStringLiteral("xl/styles.xml")));
        readSheet(sheet);
    }

    QString error() const { return m_error; }
    /// A cell by its address such as "B7"; an empty one when the sheet has none there.
    XlsxCell cell(const QString &address) const { return m_cells.value(address); }
    /// The cell as the tests write it: text in quotes, a number as a number, nothing for an empty cell.
    QString shown(const QString &address) const
    {
        const XlsxCell c = cell(address);
        switch (c.type) {
        case XlsxCell::Type::Empty:
            return {};
        case XlsxCell::Type::Number:
            return QString::number(c.number, 'g', 15);
        case XlsxCell::Type::Text:
            return u'"' + c.text + u'"';
        }
        return {};
    }
    /// The row's height in points; 0 when the file gives none.
    double rowHeight(int row) const { return m_rowHeights.value(row); }
    /// The column's width in character units; 0 when the file gives none.
    double columnWidth(int column) const
    {
        for (const Cols &c : m_cols) {
            if (column >= c.min && column <= c.max)
                return c.width;
        }
        return 0;
    }
    /// The last row holding a value.
    int lastRow() const
    {
        int last = 0;
        for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
            if (it->type != XlsxCell::Type::Empty)
                last = std::max(last, it.key().mid(it.key().indexOf(QRegularExpression(QStringLiteral("[0-9]"))))
                                          .toInt());
        }
        return last;
    }

    static QByteArray entry(const QString &zip, const QString &name)
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, name});
        unzip.waitForFinished(30000);
        return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
    }

private:
    struct Xf
    {
        int font = 0;
        int border = 0;
        bool wrap = false;
        QString horizontal;
        QString vertical;
    };
    struct Cols
    {
        int min;
        int max;
        double width;
    };

    static bool on(const QXmlStreamAttributes &attributes)
    {
        const QStringView value = attributes.value(QStringLiteral("val"));
        return value.isEmpty() || value == u"1" || value == u"true";
    }

    void readSharedStrings(const QByteArray &xml)
    {
        QXmlStreamReader reader(xml);
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == u"si")
                m_strings << QString();
            else if (reader.isStartElement() && reader.name() == u"t" && !m_strings.isEmpty())
                m_strings.last() += reader.readElementText();
        }
    }

    void readStyles(const QByteArray &xml)
    {
        QXmlStreamReader reader(xml);
        QString section;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isEndElement() && (reader.name() == u"fonts" || reader.name() == u"borders" ||
                                          reader.name() == u"cellXfs"))
                section.clear();
            if (!reader.isStartElement())
                continue;
            const auto name = reader.name();
            const QXmlStreamAttributes a = reader.attributes();
            if (name == u"fonts" || name == u"borders" || name == u"cellXfs") {
                section = name.toString();
            } else if (section == u"fonts" && name == u"font") {
                m_boldFonts << false;
            } else if (section == u"fonts" && name == u"b" && !m_boldFonts.isEmpty()) {
                m_boldFonts.last() = on(a);
            } else if (section == u"borders" && name == u"border") {
                m_borders << QString();
            } else if (section == u"borders" && !m_borders.isEmpty() &&
                       (name == u"left" || name == u"right" || name == u"top" || name == u"bottom")) {
                if (a.value(QStringLiteral("style")) == u"thin")
                    m_borders.last() += name.at(0).toUpper();
            } else if (section == u"cellXfs" && name == u"xf") {
                Xf xf;
                xf.font = a.value(QStringLiteral("fontId")).toInt();
                xf.border = a.value(QStringLiteral("borderId")).toInt();
                m_xfs << xf;
            } else if (section == u"cellXfs" && name == u"alignment" && !m_xfs.isEmpty()) {
                m_xfs.last().wrap = a.value(QStringLiteral("wrapText")) == u"true" ||
                                    a.value(QStringLiteral("wrapText")) == u"1";
                m_xfs.last().horizontal = a.value(QStringLiteral("horizontal")).toString();
                m_xfs.last().vertical = a.value(QStringLiteral("vertical")).toString();
            }
        }
    }

    void readSheet(const QByteArray &xml)
    {
        QXmlStreamReader reader(xml);
        XlsxCell *current = nullptr;
        QString type;
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement())
                continue;
            const auto name = reader.name();
            const QXmlStreamAttributes a = reader.attributes();
            if (name == u"col") {
                m_cols << Cols{a.value(QStringLiteral("min")).toInt(), a.value(QStringLiteral("max")).toInt(),
                               a.value(QStringLiteral("width")).toDouble()};
            } else if (name == u"row") {
                m_rowHeights.insert(a.value(QStringLiteral("r")).toInt(), a.value(QStringLiteral("ht")).toDouble());
            } else if (name == u"c") {
                current = &m_cells[a.value(QStringLiteral("r")).toString()];
                type = a.value(QStringLiteral("t")).toString();
                const Xf xf = m_xfs.value(a.value(QStringLiteral("s")).toInt());
                current->bold = m_boldFonts.value(xf.font);
                current->borders = m_borders.value(xf.border);
                current->wrap = xf.wrap;
                current->horizontal = xf.horizontal;
                current->vertical = xf.vertical;
            } else if (name == u"v" && current) {
                const QString value = reader.readElementText();
                if (type == u"s") {
                    current->type = XlsxCell::Type::Text;
                    current->text = m_strings.value(value.toInt());
                } else if (type == u"str" || type == u"inlineStr") {
                    current->type = XlsxCell::Type::Text;
                    current->text = value;
                } else {
                    current->type = XlsxCell::Type::Number;
                    current->number = value.toDouble();
                }
            }
        }
        if (reader.hasError())
            m_error = reader.errorString();
    }

    QString m_error;
    QStringList m_strings;
    QList<bool> m_boldFonts;
    QStringList m_borders;
    QList<Xf> m_xfs;
    QList<Cols> m_cols;
    QHash<int, double> m_rowHeights;
    QMap<QString, XlsxCell> m_cells;
};

} // namespace quotaly::test
