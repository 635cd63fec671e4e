// Any bytes as a replay file: refused with a reason, or read into a replay
// that writes back to exactly the same bytes. Then the same bytes with a
// checksum that fits them, so that any inputs and claims get past the
// checksum: played, they come to an outcome that matches the claims or to a
// reason, never to a crash or a game that does not end.

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ReplayCheck.h"
#include "ReplayFile.h"

namespace {

// What a hand could write: any body, sealed with its own checksum.
QByteArray Sealed(const QByteArray& bytes) {
    if (bytes.size() < kwadrill::kReplayChecksumSize) return bytes;
    const QByteArray body = bytes.first(bytes.size() - kwadrill::kReplayChecksumSize);
    return body + QCryptographicHash::hash(body, QCryptographicHash::Sha256);
}

}  // namespace

// The game's ticks are timers, which want an application; its messages would
// bury libFuzzer's own output.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz_replay_file";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kwadrill;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = DecodeReplay(bytes);
    if (const auto* problem = std::get_if<QString>(&read)) {
        fuzz::Require(!problem->isEmpty(), "a refusal says why");
    } else {
        const Replay& replay = std::get<Replay>(read);
        fuzz::Require(EncodeReplay(replay) == bytes, "a replay read is the replay written");
        for (std::size_t i = 1; i < replay.steps.size(); ++i)
            fuzz::Require(replay.steps[i - 1].tick <= replay.steps[i].tick, "inputs in tick order");
    }

    const auto sealed = DecodeReplay(Sealed(bytes));
    const auto* replay = std::get_if<Replay>(&sealed);
    if (replay == nullptr) return 0;
    const auto played = VerifyReplay(*replay);
    if (const auto* problem = std::get_if<QString>(&played)) {
        fuzz::Require(!problem->isEmpty(), "a replay that fails says why");
        return 0;
    }
    const ReplayOutcome& outcome = std::get<ReplayOutcome>(played);
    fuzz::Require(outcome.score == replay->score && outcome.level == replay->level &&
                      outcome.pieces == replay->pieces,
                  "a replay that passes comes to what it claims");
    return 0;
}
