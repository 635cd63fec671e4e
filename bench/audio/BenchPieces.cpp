#include "BenchPieces.h"

#include "AudioFixtures.h"
#include "MusicFiles.h"

#include <QFile>

#include <fstream>
#include <string>

namespace kwadrill::bench {

std::vector<Piece> GamePieces() {
    std::vector<Piece> pieces;
    for (const QString& name : MusicFiles::MusicResourceNames()) {
        QFile resource(QStringLiteral(":/midi/") + name);
        if (resource.open(QIODevice::ReadOnly)) pieces.push_back({name, resource.readAll()});
    }
    if (pieces.empty())
        pieces.push_back({QStringLiteral("FIXTURE"), test::AsByteArray(test::PianoPiece(240))});
    return pieces;
}

long ResidentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace kwadrill::bench
