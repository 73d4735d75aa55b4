#pragma once

#include "app/TDM.h"
#include "clients/ClientImporter.h"

#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

namespace quotaly::bench {

/// The eleven texts of client i of a list of `rows`: German agencies in a scrambled order, every tenth client a
/// repeat of the one before, so sorts have ties to break and the duplicate check has duplicates to find.
inline QStringList clientTexts(int i, int rows)
{
    const int n = i % 10 == 9 ? i - 1 : i;
    return {QStringLiteral("Client %1 Übersetzungen GmbH").arg((n * 7919) % rows, 6, 10, QChar(u'0')),
            QStringLiteral("DE%1").arg(100000000 + n),
            QStringLiteral("Hauptstraße %1").arg(n % 300),
            QStringLiteral("D-10%1 Berlin").arg(n % 1000, 3, 10, QChar(u'0')),
            QStringLiteral("Germany"),
            QStringLiteral("+49 30 %1").arg(n),
            QString(),
            QStringLiteral("office%1@client.example").arg(n),
            QStringLiteral("https://client%1.example").arg(n),
            QStringLiteral("Payment within 30 days"),
            QString()};
}

inline QList<QStringList> clientRows(int rows)
{
    QList<QStringList> list;
    list.reserve(rows);
    for (int i = 0; i < rows; ++i)
        list << clientTexts(i, rows);
    return list;
}

[[noreturn]] inline void fail(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

/// An import file of the given rows: semicolon-separated, one client a line, UTF-8.
inline void writeImportFile(const QString &path, const QList<QStringList> &rows)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (const QStringList &row : rows)
        lines << row.join(u';');
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(lines.join(QStringLiteral("\r\n")).toUtf8()) < 0)
        fail(QStringLiteral("cannot write %1").arg(path));
}

/// A data folder with every data file the program reads and empty client files (the columns only), as a fresh
/// installation has.
inline void writeEmptyDataFiles(const QString &dataDir)
{
    QDir().mkpath(dataDir);
    TDM dm(dataDir);
    dm.saveOnExit = false;
    for (Dataset *d : {dm.Clients, dm.MatchesByClient, dm.OptionsByClient, dm.Personal, dm.tmpMatches}) {
        if (d->fieldCount() == 0)
            d->setFields({FieldDef::text(QStringLiteral("FULLNAME"), 60)});
        d->createDataSet();
    }
    dm.SaveDataSets();
}

/// A data folder holding the given clients, each with its default match settings and options, as the program
/// writes them (Clients.xml of 100,000 clients is 31 MB). The folder's other files are kept when they exist.
inline void writeClientDataFolder(const QString &dataDir, const QList<QStringList> &rows)
{
    if (!QFile::exists(dataDir + QStringLiteral("Clients.xml")))
        writeEmptyDataFiles(dataDir);
    TDM dm(dataDir);
    dm.saveOnExit = false;
    dm.report = [](const QString &text) { fail(text); };
    dm.LoadDataSets();
    for (Dataset *d : {dm.Clients, dm.MatchesByClient, dm.OptionsByClient}) {
        d->emptyDataSet();
        d->mergeChangeLog();
    }
    const ClientImportResult result = importClients(*dm.Clients, rows);
    if (result.imported != rows.size())
        fail(QStringLiteral("the data folder got %1 clients of %2").arg(result.imported).arg(rows.size()));
    dm.SaveDataSets();
}

} // namespace quotaly::bench
