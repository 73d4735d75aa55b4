// Loads and saves a client list of 100,000 rows through the dataset engine, as the program does at start and
// exit, and moves through a master-detail pair of that size. Prints the median of several runs.
#include "MedianTimer.h"
#include "dataset/Dataset.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;


QList<FieldDef> clientFields()
{
    QList<FieldDef> f{FieldDef::text(QStringLiteral("FULLNAME"), 60, true)};
    const std::pair<const char *, int> rest[] = {{"VATNo", 30}, {"AddressLine1", 50}, {"AddressLine2", 50},
                                                 {"AddressLine3", 50}, {"Tel", 30}, {"Fax", 30}, {"EMail", 70},
                                                 {"www", 70}, {"Additional1", 100}, {"Additional2", 100}};
    for (const auto &[name, width] : rest)
        f << FieldDef::text(QString::fromLatin1(name), width);
    return f;
}

void fillClients(Dataset &clients)
{
    clients.setFields(clientFields());
    clients.createDataSet();
    for (int i = 0; i < kRows; ++i) {
        clients.appendRecord({QStringLiteral("Client %1 Übersetzungen GmbH").arg(i, 6, 10, QChar(u'0')),
                              QStringLiteral("DE%1").arg(100000000 + i), QStringLiteral("Hauptstraße %1").arg(i % 300),
                              QStringLiteral("D-10%1 Berlin").arg(i % 1000, 3, 10, QChar(u'0')), QStringLiteral("Germany"),
                              QStringLiteral("+49 30 %1").arg(i), QString(),
                              QStringLiteral("office%1@client.example").arg(i), QStringLiteral("https://client%1.example").arg(i),
                              QStringLiteral("Payment within 30 days & \"net\""), QString()});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Clients.xml"));

    Dataset clients(QStringLiteral("Clients"));
    QElapsedTimer fill;
    fill.start();
    fillClients(clients);
    std::printf("append and post %d clients: %.1f ms\n", kRows, double(fill.nsecsElapsed()) / 1e6);

    const double save = medianMs(kRuns, [&] { clients.saveToFile(path); });
    const double load = medianMs(kRuns, [&] {
        Dataset loaded(QStringLiteral("Clients"));
        loaded.loadFromFile(path);
        if (loaded.recordCount() != kRows)
            qFatal("lost rows");
    });
    std::printf("save %d clients (%.1f MB): median %.1f ms\n", kRows, double(QFileInfo(path).size()) / 1e6, save);
    std::printf("load %d clients: median %.1f ms\n", kRows, load);

    // One detail row per client; walking the master moves the detail each step.
    Dataset options(QStringLiteral("OptionsByClient"));
    options.setFields({FieldDef::text(QStringLiteral("FullName"), 60), FieldDef::text(QStringLiteral("Units"), 25),
                       FieldDef::floating(QStringLiteral("BaseRate")), FieldDef::text(QStringLiteral("Currency"), 3)});
    options.createDataSet();
    for (clients.first(); !clients.eof(); clients.next())
        options.appendRecord({clients.value(0), QStringLiteral("Words"), 0.1, QStringLiteral("EUR")});
    options.setMasterSource(&clients, QStringLiteral("FULLNAME"), QStringLiteral("FullName"));
    const double walk = medianMs(kRuns, [&] {
        int found = 0;
        for (clients.first(); !clients.eof(); clients.next())
            found += options.recordCount();
        if (found != kRows)
            qFatal("detail did not follow");
    });
    std::printf("walk %d clients with their detail rows: median %.1f ms\n", kRows, walk);
    const double locate = medianMs(kRuns, [&] {
        if (!clients.locate(QStringLiteral("FULLNAME"), QStringLiteral("Client 099999 Übersetzungen GmbH")))
            qFatal("not found");
    });
    std::printf("locate the last of %d clients: median %.2f ms\n", kRows, locate);
    return 0;
}
