#include "DeviceTimingWatch.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kwadrill {
namespace {

using std::chrono::milliseconds;
using Verdict = DeviceTimingWatch::Verdict;

struct Look {
    const char* what;
    milliseconds mixed;
    milliseconds watched;
    Verdict verdict;
};

// On a loaded machine the watching thread wakes late and the audio thread
// may not have run yet: each look must still judge only what it sees.
TEST(DeviceTimingWatchTest, JudgesEachLookOnTheSoundMixedAgainstTheTimeWatched) {
    const Look looks[] = {
        {"a device keeping time, its buffer ahead", milliseconds(170), milliseconds(101),
         Verdict::KeepsTime},
        {"a device keeping time, looked at early", milliseconds(60), milliseconds(10),
         Verdict::Watching},
        {"a null sink, seen at once", milliseconds(700'000), milliseconds(2), Verdict::TooFast},
        {"a null sink, first looked at long after the watch should have ended",
         milliseconds(20'000), milliseconds(400), Verdict::TooFast},
        {"an audio thread that has not run yet", milliseconds(0), milliseconds(150),
         Verdict::Watching},
        {"just past the lead a device can have", milliseconds(360), milliseconds(100),
         Verdict::TooFast},
        {"an audio thread starved to the end of the watch", milliseconds(30), milliseconds(2000),
         Verdict::KeepsTime},
    };
    for (const Look& look : looks) {
        EXPECT_EQ(DeviceTimingWatch::Look(look.mixed, look.watched), look.verdict) << look.what;
    }
}

}  // namespace
}  // namespace kwadrill
