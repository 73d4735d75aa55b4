#pragma once

// Reads a Writer document back through the office's own Python bridge (python3-uno), so the integration tests
// check what LibreOffice holds rather than what the program believes it wrote.

#include "LoFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

namespace quotaly::test {

struct WriterDump
{
    QStringList body;  ///< the main text's paragraphs in order; a table is "[table]"
    QJsonArray tables; ///< per table: cells (rows of texts), charHeights, row1VertOrient, separators
    int fieldmarks = 0;
    QStringList bookmarks;
    QString error; ///< why reading failed; empty on success

    QString text() const { return body.join(u'\n'); }
    /// The main text with each table's cells in its place, row by row.
    QString fullText() const
    {
        QStringList lines;
        int table = 0;
        for (const QString &paragraph : body)
            lines << (paragraph == QStringLiteral("[table]") ? rows(table++).join(u'\n') : paragraph);
        return lines.join(u'\n');
    }
    QJsonObject table(int index) const { return tables.at(index).toObject(); }
    /// The table's cell texts row by row, cells joined by " | ".
    QStringList rows(int index) const
    {
        QStringList lines;
        for (const auto row : table(index).value(QStringLiteral("cells")).toArray()) {
            QStringList cells;
            for (const auto cell : row.toArray())
                cells << cell.toString();
            lines << cells.join(QStringLiteral(" | "));
        }
        return lines;
    }
};

inline const char *writerDumpScript()
{
    return R"PY(
import sys, json, uno
from com.sun.star.beans import PropertyValue
def prop(n, v):
    p = PropertyValue(); p.Name = n; p.Value = v; return p
pipe, path = sys.argv[1], sys.argv[2]
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0, (prop("Hidden", True), prop("ReadOnly", True)))
out = {"body": [], "tables": [], "fieldmarks": 0, "bookmarks": list(doc.getBookmarks().getElementNames())}
def row_of(name):
    return int(''.join(ch for ch in name.split('.')[0] if ch.isdigit()))
e = doc.getText().createEnumeration()
while e.hasMoreElements():
    el = e.nextElement()
    if not el.supportsService("com.sun.star.text.TextTable"):
        out["body"].append(el.getString())
        continue
    out["body"].append("[table]")
    names = el.getCellNames()
    cells = [[] for _ in range(el.getRows().getCount())]
    heights = set()
    for n in names:
        c = el.getCellByName(n)
        cells[row_of(n) - 1].append(c.getString())
        pe = c.getText().createEnumeration()
        while pe.hasMoreElements():
            heights.add(pe.nextElement().CharHeight)
    out["tables"].append({"cells": cells, "charHeights": sorted(heights),
                          "row1VertOrient": sorted(set(el.getCellByName(n).VertOrient for n in names if row_of(n) == 1)),
                          "separators": [s.Position for s in el.TableColumnSeparators]})
f = doc.getTextFields().createEnumeration()
while f.hasMoreElements():
    if f.nextElement().supportsService("com.sun.star.text.Fieldmark"):
        out["fieldmarks"] += 1
doc.close(True)
print(json.dumps(out))
)PY";
}

/// The document in that file as the office reads it, once.
inline WriterDump dumpWriterFileOnce(const LoFixture &office, const QString &path)
{
    WriterDump dump;
    const QString python = LoFixture::python();
    if (python.isEmpty()) {
        dump.error = QStringLiteral("python3-uno is not installed");
        return dump;
    }
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromUtf8(writerDumpScript()), office.pipeName(), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        dump.error = QString::fromLocal8Bit(process.readAllStandardError());
        return dump;
    }
    const QByteArray output = process.readAllStandardOutput();
    QJsonParseError parse{};
    const QJsonObject json = QJsonDocument::fromJson(output, &parse).object();
    if (parse.error != QJsonParseError::NoError || !json.contains(QStringLiteral("body"))) {
        dump.error = QStringLiteral("unreadable dump: ") + QString::fromUtf8(output.left(500)) +
                     QString::fromLocal8Bit(process.readAllStandardError().left(500));
        return dump;
    }
    for (const auto paragraph : json.value(QStringLiteral("body")).toArray())
        dump.body << paragraph.toString();
    dump.tables = json.value(QStringLiteral("tables")).toArray();
    dump.fieldmarks = json.value(QStringLiteral("fieldmarks")).toInt();
    for (const auto name : json.value(QStringLiteral("bookmarks")).toArray())
        dump.bookmarks << name.toString();
    return dump;
}

/// The document in that file as the office reads it. Every document has at least one paragraph; a reading
/// without any is the reading that failed, not the file (on a loaded machine it can fail twice in a row), so it
/// is read again, a few times at most.
inline WriterDump dumpWriterFile(const LoFixture &office, const QString &path)
{
    WriterDump dump = dumpWriterFileOnce(office, path);
    for (int again = 0; again < 3 && dump.error.isEmpty() && dump.body.isEmpty(); ++again) {
        qWarning("reading %s back gave no paragraphs; reading it again", qPrintable(path));
        QThread::msleep(200);
        dump = dumpWriterFileOnce(office, path);
    }
    return dump;
}

} // namespace quotaly::test

#define QUOTALY_DUMP(dump, office, path)                                                                               \
    const quotaly::test::WriterDump dump = quotaly::test::dumpWriterFile((office), (path));                            \
    QVERIFY2(dump.error.isEmpty(), qPrintable(dump.error))
