#include "ReplayCommand.h"

#include <cstdio>
#include <variant>

#include "ReplayCheck.h"
#include "ReplayFile.h"

namespace kwadrill {

int VerifyReplayCommand(const QString& path) {
    const auto read = ReadReplayFile(path);
    auto checked = std::holds_alternative<Replay>(read)
                       ? VerifyReplay(std::get<Replay>(read))
                       : std::variant<ReplayOutcome, QString>(std::get<QString>(read));
    if (const QString* problem = std::get_if<QString>(&checked)) {
        std::fprintf(stderr, "kwadrill: %s: %s\n", qUtf8Printable(path), qUtf8Printable(*problem));
        return 1;
    }
    const ReplayOutcome& outcome = std::get<ReplayOutcome>(checked);
    std::printf("score %d, level %d, pieces %u\n", outcome.score, outcome.level, outcome.pieces);
    return 0;
}

}  // namespace kwadrill
