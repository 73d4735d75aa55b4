// Times the datapacket layer on a client list of 100,000 rows: serialising, writing the file, reading it back.
// Run: build/bench/bench_datapacket [rows] [repetitions]

#include "MedianTimer.h"
#include "dataset/AtomicFile.h"
#include "dataset/Datapacket.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

Datapacket makeClients(int rowCount)
{
    Datapacket packet;
    packet.fields << FieldDef::text(QStringLiteral("FULLNAME"), 60, true) << FieldDef::text(QStringLiteral("VATNo"), 30)
                  << FieldDef::text(QStringLiteral("AddressLine1"), 50)
                  << FieldDef::text(QStringLiteral("AddressLine2"), 50)
                  << FieldDef::text(QStringLiteral("AddressLine3"), 50) << FieldDef::text(QStringLiteral("Tel"), 30)
                  << FieldDef::text(QStringLiteral("Fax"), 30) << FieldDef::text(QStringLiteral("EMail"), 70)
                  << FieldDef::text(QStringLiteral("www"), 70) << FieldDef::text(QStringLiteral("Additional1"), 100)
                  << FieldDef::text(QStringLiteral("Additional2"), 100);
    packet.params = {{QStringLiteral("DEFAULT_ORDER"), QStringLiteral("1")},
                     {QStringLiteral("LCID"), QStringLiteral("1033")}};

    const QStringList first = {"Anna", "Jürgen", "Sophie", "Marco", "Élodie", "Piotr", "Kenji", "O'Neill", "Ingrid"};
    const QStringList last = {"Müller", "Rossi", "Dubois", "Kowalski", "Tanaka", "Smith & Sons", "García", "Nowak"};
    const QStringList streets = {"Hauptstraße", "Via Roma",    "Rue de la Paix",
                                 "ul. Długa",   "High Street", "Calle Mayor"};
    const QStringList cities = {"80331 München", "00184 Roma", "75002 Paris", "00-001 Warszawa", "London SW1A 1AA"};
    std::mt19937 random(20240229);
    auto pick = [&random](const QStringList &list) { return list.at(int(random() % list.size())); };

    packet.rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i) {
        const QString name = pick(first) + u' ' + pick(last);
        const QString domain = QStringLiteral("client%1.example.com").arg(i);
        RowValues row{
            QStringLiteral("%1 Translations %2").arg(name).arg(i),
            QStringLiteral("DE%1").arg(100000000 + i),
            QStringLiteral("%1 %2").arg(pick(streets)).arg(1 + random() % 200),
            i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("Building %1, floor %2").arg(i % 40).arg(i % 7)),
            pick(cities),
            QStringLiteral("+49 89 %1").arg(1000000 + random() % 9000000),
            i % 4 == 0 ? QVariant(QStringLiteral("+49 89 %1").arg(1000000 + random() % 9000000)) : QVariant(),
            QStringLiteral("office@%1").arg(domain),
            QStringLiteral("https://www.%1/").arg(domain),
            i % 5 == 0 ? QVariant(QStringLiteral("Prefers \"Word\" files;\r\ninvoice <monthly>")) : QVariant(QString()),
            QStringLiteral("Rate agreed %1.%2").arg(2020 + i % 5).arg(1 + i % 12, 2, 10, QLatin1Char('0')),
        };
        packet.rows.append(std::move(row));
    }
    return packet;
}


void measure(const Datapacket &packet, const QString &path, int repetitions, const char *variant)
{
    QByteArray bytes;
    const double write = medianMs(repetitions, [&] { bytes = writeDatapacket(packet); });
    const double save = medianMs(repetitions, [&] { writeFileAtomically(path, bytes); });
    qsizetype rows = 0;
    const double read = medianMs(repetitions, [&] { rows = readDatapacket(readWholeFile(path)).rows.size(); });
    std::printf("%-6s  file %7.2f MB  writeDatapacket %8.1f ms  writeFileAtomically %7.1f ms  "
                "readWholeFile+readDatapacket %8.1f ms  (%lld rows read)\n",
                variant, double(bytes.size()) / (1024.0 * 1024.0), write, save, read, static_cast<long long>(rows));
}

} // namespace

int main(int argc, char *argv[])
{
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    Datapacket packet = makeClients(rowCount);
    std::printf("Clients packet: %d rows x %lld columns, median of %d runs\n", rowCount,
                static_cast<long long>(packet.fields.size()), repetitions);
    measure(packet, dir.filePath(QStringLiteral("Clients.xml")), repetitions, "UTF-8");
    packet.declaration = Datapacket::Declaration::Plain;
    measure(packet, dir.filePath(QStringLiteral("Clients.xml")), repetitions, "plain");
    return 0;
}
