#include "ReplayFiles.h"

#include <cstdio>
#include <utility>

namespace kwadrill {

namespace {

void Report(const WriteFailure& failure) {
    std::fprintf(stderr, "Kwadrill: the replay could not be kept: %s\n",
                 qUtf8Printable(Describe(failure)));
}

}  // namespace

ReplayFiles::ReplayFiles(QString folder) : store_(std::move(folder)) {}

void ReplayFiles::KeepFinishedGame(const Replay& replay) {
    WriteFailure failure;
    if (!store_.KeepFinishedGame(replay, &failure)) Report(failure);
}

void ReplayFiles::FileUnder(const ScoreEntry& entry, const ScoreTable& table) {
    WriteFailure failure;
    if (!store_.FileUnder(entry, &failure)) Report(failure);
    store_.KeepOnly(table);
}

std::variant<Replay, QString> ReplayFiles::Load(const ScoreEntry& entry) const {
    return store_.Load(entry);
}

}  // namespace kwadrill
