#include "BenchPieces.h"

#include "AudioFixtures.h"
#include "MusicFiles.h"

#include <QFile>

#include <unistd.h>

#include <fstream>
#include <sstream>
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

namespace {

long StatusKib(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return 0;
}

}  // namespace

long ResidentKib() {
    return StatusKib("VmRSS:");
}

long PeakResidentKib() {
    return StatusKib("VmHWM:");
}

double ThreadCpuSeconds(long tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which may hold spaces: utime and stime are 14 and 15.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace kwadrill::bench
