// Any bytes as a replay file: refused with a reason, or read into a replay
// that writes back to exactly the same bytes.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ReplayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kwadrill;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = DecodeReplay(bytes);
    if (const auto* problem = std::get_if<QString>(&read)) {
        fuzz::Require(!problem->isEmpty(), "a refusal says why");
        return 0;
    }
    const Replay& replay = std::get<Replay>(read);
    fuzz::Require(EncodeReplay(replay) == bytes, "a replay read is the replay written");
    for (std::size_t i = 1; i < replay.steps.size(); ++i)
        fuzz::Require(replay.steps[i - 1].tick <= replay.steps[i].tick, "inputs in tick order");
    return 0;
}
