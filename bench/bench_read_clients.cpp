// Reading the client list of a data folder with 100,000 clients (Clients.xml, 31 MB, UTF-8 names) beside an
// anchor measured in the same run on the same file: pugixml parsing it and walking every attribute. The same
// list written without an encoding (non-ASCII as character references) is read too.
// Run: build/bench/bench_read_clients [rows] [repetitions]
#include "BenchClients.h"
#include "MedianTimer.h"
#include "dataset/AtomicFile.h"
#include "dataset/Datapacket.h"

#include <cstdio>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <pugixml.hpp>

using namespace quotaly;

namespace {

// Every attribute of every element, as a reader of the rows has to see them.
std::size_t walk(const pugi::xml_node &node)
{
    std::size_t seen = 0;
    for (const pugi::xml_attribute &a : node.attributes())
        seen += std::char_traits<char>::length(a.value()) + 1;
    for (const pugi::xml_node &child : node.children())
        seen += walk(child);
    return seen;
}

void measure(const char *variant, const QString &path, int repetitions)
{
    qsizetype rows = 0;
    const double ours = medianMs(repetitions, [&] { rows = readDatapacket(readWholeFile(path)).rows.size(); });
    std::size_t seen = 0;
    const double anchor = medianMs(repetitions, [&] {
        pugi::xml_document doc;
        if (!doc.load_file(path.toLocal8Bit().constData()))
            bench::fail(QStringLiteral("pugixml cannot read %1").arg(path));
        seen = walk(doc);
    });
    std::printf("%-6s %6.2f MB: readWholeFile+readDatapacket %7.1f ms (%lld rows); pugixml load_file+walk %7.1f ms "
                "(%zu value bytes); ratio %.2f (aim <= 1.0)\n",
                variant, double(QFileInfo(path).size()) / (1024.0 * 1024.0), ours, static_cast<long long>(rows),
                anchor, seen, ours / anchor);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("Data/"));
    bench::writeClientDataFolder(data, bench::clientRows(rowCount));
    const QString utf8 = data + QStringLiteral("Clients.xml");

    Datapacket packet = readDatapacket(readWholeFile(utf8));
    packet.declaration = Datapacket::Declaration::Plain;
    const QString plain = dir.filePath(QStringLiteral("ClientsPlain.xml"));
    writeFileAtomically(plain, writeDatapacket(packet));

    std::printf("Client list of %d clients, median of %d runs\n", rowCount, repetitions);
    measure("UTF-8", utf8, repetitions);
    measure("plain", plain, repetitions);
    return 0;
}
