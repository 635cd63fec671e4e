#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "MidiSynth.h"
#include "MusicCache.h"
#include "MusicCacheFolder.h"
#include "MusicDevice.h"
#include "PieceRenderer.h"
#include "SoundFontSearch.h"
#include "TestFiles.h"
#include "TickMap.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace kwadrill {
namespace {

using namespace std::chrono_literals;

constexpr int kRate = AudioOutput::kFrequency;
// Rendering runs at idle priority, so on a busy machine it takes as long as
// the machine lets it; this only keeps a broken renderer from hanging the suite.
constexpr auto kRenderWait = 120s;

// Once its priority has been checked, a test's renderer runs as an ordinary
// thread: at idle priority it gets only what a busy machine leaves over,
// which may be nothing for as long as other work runs.
void LetRendererRun(const MusicCache& cache) {
    ASSERT_TRUE(test::WaitFor([&] { return cache.RendererThread() != 0 || cache.RendererEnded(); },
                              kRenderWait));
    const auto renderer = static_cast<pid_t>(cache.RendererThread());
    if (renderer == 0) return;
    const sched_param ordinary{};
    ::sched_setscheduler(renderer, SCHED_OTHER, &ordinary);
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(renderer), 0);
}

const std::string& SoundFont() {
    static const std::string path = FindSoundFont(DefaultSoundFontCandidates());
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The frames the player takes to reach the piece's length, and its ticks on
// the way, as the live device's synthesizer plays it.
std::vector<std::int64_t> LiveClock(const std::vector<std::uint8_t>& piece,
                                    std::int64_t lengthTicks) {
    MidiSynth synth(kRate);
    EXPECT_TRUE(synth.LoadSoundFont(SoundFont()));
    EXPECT_TRUE(synth.Start(piece));
    std::vector<std::int16_t> block(64 * 2);
    std::vector<std::int64_t> ticks{0};  // at frame 64 * i
    while (ticks.back() < lengthTicks && synth.PlayerRunning()) {
        synth.Render(block.data(), 64);
        ticks.push_back(synth.CurrentTick());
    }
    return ticks;
}

TEST(MusicCacheKeyTest, ChangesWithTheMidiBytesTheSoundFontAndTheSettings) {
    QTemporaryDir dir;
    const std::string font = dir.filePath(QStringLiteral("font.sf2")).toStdString();
    const std::string other = dir.filePath(QStringLiteral("other.sf2")).toStdString();
    WriteAll(font, "sfbk-one");
    WriteAll(other, "sfbk-one");
    const auto piece = test::PianoPiece(4);
    auto changed = piece;
    changed[changed.size() - 5] ^= 1;
    const std::string key = MusicCache::KeyFor(piece, font, kRate);
    ASSERT_EQ(key.size(), 64u);
    EXPECT_EQ(MusicCache::KeyFor(piece, font, kRate), key) << "the same inputs, the same key";

    EXPECT_NE(MusicCache::KeyFor(changed, font, kRate), key) << "one MIDI byte";
    EXPECT_NE(MusicCache::KeyFor(piece, other, kRate), key) << "another SoundFont path";
    EXPECT_NE(MusicCache::KeyFor(piece, font, 48000), key) << "another sample rate";
    EXPECT_NE(PieceRenderer::SettingsText(kRate).find("synth.gain"), std::string::npos);

    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, font.c_str(), times, 0), 0);
    const std::string touched = MusicCache::KeyFor(piece, font, kRate);
    EXPECT_NE(touched, key) << "the SoundFont's modification time";
    WriteAll(font, "sfbk-two!");
    ASSERT_EQ(::utimensat(AT_FDCWD, font.c_str(), times, 0), 0);
    EXPECT_NE(MusicCache::KeyFor(piece, font, kRate), touched) << "the SoundFont's size";

    EXPECT_EQ(
        MusicCache::KeyFor(piece, dir.filePath(QStringLiteral("none.sf2")).toStdString(), kRate),
        "")
        << "no SoundFont, no key";
}

TEST(TickMapTest, TextRoundTripsAndDamagedTextIsRefused) {
    TickMap::Builder builder;
    for (std::int64_t frame = 64; frame <= 64 * 400; frame += 64)
        builder.Observe(frame, frame < 64 * 200 ? frame / 300 : 66 + (frame - 64 * 200) / 150);
    const TickMap map = builder.Finish();
    EXPECT_GE(map.Points().size(), 3u) << "a bend needs a breakpoint";
    const auto back = TickMap::FromText(map.ToText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Points(), map.Points());
    for (const char* bad : {"", "0:0", "5:0,100:10", "0:0,100:10,100:12", "0:0,100:10,200:9",
                            "0:0;100:10", "0:0,100:", "0:0,x:1", "0:0,100:10,"}) {
        EXPECT_FALSE(TickMap::FromText(bad)) << bad;
    }
}

// One rendered fixture for the suite: rendering takes a moment.
class RenderedPieceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        piece_ = test::TempoPiece(24);
        key_ = MusicCache::KeyFor(piece_, SoundFont(), kRate);
        const std::atomic<bool> stop{false};
        file_ = PieceRenderer::Render(piece_, SoundFont(), kRate, key_, stop);
    }

    void SetUp() override {
        ASSERT_FALSE(SoundFont().empty()) << "the General MIDI SoundFont is installed";
        ASSERT_FALSE(file_.empty()) << "the fixture was rendered";
    }

    std::string EntryPath() const { return folder_.PathFor(key_); }

    static std::vector<std::uint8_t> piece_;
    static std::string key_;
    static std::string file_;
    QTemporaryDir dir_;
    MusicCacheFolder folder_{dir_.path().toStdString()};
};

std::vector<std::uint8_t> RenderedPieceTest::piece_;
std::string RenderedPieceTest::key_;
std::string RenderedPieceTest::file_;

// The fixture's tempo changes at every quarter; the player re-anchors its
// clock at each, drifting from the file's own tempo map. A rendered piece's
// position must follow the player, as the live device's does.
TEST_F(RenderedPieceTest, ItsClockIsTheLivePlayersWithinATick) {
    std::string problem;
    ASSERT_TRUE(folder_.Store(key_, file_, problem)) << problem;
    const auto found = folder_.Open(key_, kRate);
    ASSERT_EQ(found.found, MusicCacheFolder::Found::Whole);
    const TickMap& map = found.piece->Ticks();
    const std::int64_t length = 24 * 96;
    const auto live = LiveClock(piece_, length);
    ASSERT_GE(live.back(), length);
    for (std::size_t i = 0; i < live.size(); ++i) {
        const auto frame = static_cast<std::int64_t>(64 * i);
        ASSERT_NEAR(map.TickAt(frame), live[i], 1) << "at frame " << frame;
    }
    // The end of the piece and the tail that the live device plays on while
    // the main tick has not yet seen the end.
    const std::int64_t endFrame = 64 * static_cast<std::int64_t>(live.size() - 1);
    EXPECT_GE(found.piece->Frames(), endFrame + kRate * PieceRenderer::kTailMs / 1000);
    EXPECT_LT(found.piece->Frames(), endFrame + kRate * PieceRenderer::kTailMs / 1000 + 1024);
}

struct Damage {
    const char* name;
    std::function<void(const std::string& path, const std::string& whole)> apply;
};

// Nothing in the folder is trusted: a file at the entry's path that is not
// one whole rendered piece with this key, or a link, is deleted, never
// followed, and the piece counts as not rendered.
TEST_F(RenderedPieceTest, OnlyAWholeFileOpensAndAnythingElseIsDeleted) {
    const std::string other = (dir_.path() + QStringLiteral("/other")).toStdString();
    const std::vector<Damage> damages{
        {"cut in half",
         [](auto& path, auto& whole) { WriteAll(path, whole.substr(0, whole.size() / 2)); }},
        {"last byte cut",
         [](auto& path, auto& whole) { WriteAll(path, whole.substr(0, whole.size() - 1)); }},
        {"one bit flipped",
         [](auto& path, auto& whole) {
             std::string bytes = whole;
             bytes[bytes.size() * 2 / 3] ^= 0x10;
             WriteAll(path, bytes);
         }},
        {"bytes appended",
         [](auto& path, auto& whole) { WriteAll(path, whole + "OggS and more"); }},
        {"empty", [](auto& path, auto&) { WriteAll(path, ""); }},
        {"not Ogg at all", [](auto& path, auto&) { WriteAll(path, std::string(5000, 'x')); }},
        {"a link to a whole file",
         [&](auto& path, auto& whole) {
             WriteAll(other, whole);
             ASSERT_EQ(::symlink(other.c_str(), path.c_str()), 0);
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        damage.apply(EntryPath(), file_);
        EXPECT_EQ(folder_.Open(key_, kRate).found, MusicCacheFolder::Found::Damaged);
        struct stat info {};
        EXPECT_NE(::lstat(EntryPath().c_str(), &info), 0) << "still there";
    }
    EXPECT_EQ(ReadAll(other), file_) << "the link's target is left alone";

    // The whole file under another piece's name is no entry of this one.
    WriteAll(folder_.PathFor(std::string(64, 'a')), file_);
    EXPECT_EQ(folder_.Open(std::string(64, 'a'), kRate).found, MusicCacheFolder::Found::Damaged);

    std::string problem;
    ASSERT_TRUE(folder_.Store(key_, file_, problem)) << problem;
    const auto whole = folder_.Open(key_, kRate);
    ASSERT_EQ(whole.found, MusicCacheFolder::Found::Whole);
    EXPECT_EQ(ReadAll(EntryPath()), file_);
    EXPECT_EQ(folder_.Open(key_, 48000).found, MusicCacheFolder::Found::Damaged)
        << "rendered for another rate";
}

// A link at an entry's name counts as no entry, so the renderer renders the
// piece: storing it replaces the link, and its target is left alone.
TEST_F(RenderedPieceTest, StoringReplacesALinkAtTheEntrysName) {
    const std::string other = (dir_.path() + QStringLiteral("/other")).toStdString();
    WriteAll(other, "not ours");
    ASSERT_EQ(::symlink(other.c_str(), EntryPath().c_str()), 0);
    EXPECT_FALSE(folder_.Present(key_));
    EXPECT_EQ(folder_.Obstacle(key_), "");
    std::string problem;
    ASSERT_TRUE(folder_.Store(key_, file_, problem)) << problem;
    EXPECT_EQ(folder_.Open(key_, kRate).found, MusicCacheFolder::Found::Whole);
    EXPECT_EQ(ReadAll(other), "not ours");
}

// Plants something that is no file at path; false when this machine cannot.
using Plant = bool (*)(const std::string& path);

struct Obstacle {
    const char* name;
    Plant plant;
    mode_t type;
    const char* reason;
};

const Obstacle kObstacles[] = {
    {"a directory",
     [](const std::string& path) {
         // Something inside, so a directory deleted or written into shows.
         return ::mkdir(path.c_str(), 0700) == 0 && std::ofstream(path + "/inside") << "kept";
     },
     S_IFDIR, "a directory is in the way"},
    {"a FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }, S_IFIFO,
     "a FIFO is in the way"},
    // Needs root; the same device as /dev/null, so nothing comes to harm.
    {"a device",
     [](const std::string& path) {
         return ::mknod(path.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0;
     },
     S_IFCHR, "a device is in the way"},
};

// Whether what the obstacle planted at path is still there, untouched.
bool StillThere(const Obstacle& obstacle, const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != obstacle.type) return false;
    if (obstacle.type != S_IFDIR) return true;
    const QStringList inside =
        QDir(QString::fromStdString(path))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    return inside == QStringList{QStringLiteral("inside")} && ReadAll(path + "/inside") == "kept";
}

// A directory, FIFO or device at the entry's name is not the cache's to
// delete or write through: opening finds no entry, storing is refused with
// what stands in the way, and it stays as it was.
TEST_F(RenderedPieceTest, ADirectoryFifoOrDeviceAtTheEntrysNameIsLeftAloneAndNamed) {
    for (const Obstacle& obstacle : kObstacles) {
        SCOPED_TRACE(obstacle.name);
        if (!obstacle.plant(EntryPath())) {
            std::cout << "[          ] " << obstacle.name
                      << " cannot be made here: " << std::strerror(errno) << "\n";
            continue;
        }
        EXPECT_FALSE(folder_.Present(key_));
        EXPECT_EQ(folder_.Obstacle(key_), obstacle.reason);
        EXPECT_EQ(folder_.Open(key_, kRate).found, MusicCacheFolder::Found::Damaged);
        EXPECT_TRUE(StillThere(obstacle, EntryPath())) << "after opening";
        std::string problem;
        EXPECT_FALSE(folder_.Store(key_, file_, problem));
        EXPECT_EQ(problem, obstacle.reason);
        EXPECT_TRUE(StillThere(obstacle, EntryPath())) << "after storing";
        std::filesystem::remove_all(EntryPath());
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList())
        << "no partial file left behind";
}

TEST(MusicCacheFolderTest, TrimKeepsThePiecesInUseAndRemovesTheOldestOthersAboveTheBudget) {
    QTemporaryDir dir;
    MusicCacheFolder folder(dir.path().toStdString());
    const auto put = [&](const std::string& name, std::size_t size, std::int64_t ageSeconds) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        WriteAll(path, std::string(size, 'o'));
        const timespec when{::time(nullptr) - ageSeconds, 0};
        const timespec times[2] = {when, when};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    };
    const std::string current(64, 'c'), oldest(64, '1'), older(64, '2'), newer(64, '3');
    put(current + ".ogg", 4000, 90000);
    put(oldest + ".ogg", 3000, 80000);
    put(older + ".ogg", 3000, 70000);
    put(newer + ".ogg", 3000, 10);
    const std::string stalePartial = put(current + ".part-Ab12Cd", 100, 3600);
    const std::string freshPartial = put(older + ".part-Xy34Zw", 100, 5);
    const std::string unrelated = put("notes.txt", 50000, 90000);

    folder.Trim({current}, 9000);

    const auto exists = [&](const std::string& name) {
        return QFileInfo::exists(dir.filePath(QString::fromStdString(name)));
    };
    EXPECT_TRUE(exists(current + ".ogg")) << "in use, however old";
    EXPECT_FALSE(exists(oldest + ".ogg"));
    EXPECT_FALSE(exists(older + ".ogg"));
    EXPECT_TRUE(exists(newer + ".ogg")) << "within the budget once the oldest went";
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(stalePartial))) << "left by a kill";
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(freshPartial))) << "being written";
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(unrelated))) << "not the cache's";
}

// The device with a cache, on SDL's dummy driver.
class CachedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(SoundFont().empty()); }

    QString Put(const std::vector<std::uint8_t>& piece) {
        const QString path = scratch_.filePath(QStringLiteral("qzkm1.mid"));
        test::WriteFileBytes(path, test::AsByteArray(piece));
        return path;
    }

    std::string Folder() const { return cacheDir_.path().toStdString(); }

    // The piece's entry, rendered here and now.
    std::string StoreRendered(const std::vector<std::uint8_t>& piece) {
        const std::string key = MusicCache::KeyFor(piece, SoundFont(), kRate);
        const std::atomic<bool> stop{false};
        std::string problem;
        MusicCacheFolder folder(Folder());
        EXPECT_TRUE(
            folder.Store(key, PieceRenderer::Render(piece, SoundFont(), kRate, key, stop), problem))
            << problem;
        return folder.PathFor(key);
    }

    bool EntryWhole(const std::vector<std::uint8_t>& piece) {
        const std::string key = MusicCache::KeyFor(piece, SoundFont(), kRate);
        return MusicCacheFolder(Folder()).Open(key, kRate).found == MusicCacheFolder::Found::Whole;
    }

    QTemporaryDir scratch_;
    QTemporaryDir cacheDir_;
    AudioOutput output_;
};

TEST_F(CachedDeviceTest, APieceNotRenderedYetPlaysLiveAndTheIdleRendererRendersIt) {
    const auto piece = test::PianoPiece(16);
    const QString path = Put(piece);
    MusicCache cache(Folder(), {test::AsByteArray(piece)});
    MusicDevice device(output_, {SoundFont()}, &cache);

    ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
    ASSERT_EQ(device.Play(), MusicDevice::kNoError);
    EXPECT_FALSE(device.PlaysRendered());
    EXPECT_TRUE(device.HoldsSoundFont());
    const std::int64_t liveLength = device.Length();
    EXPECT_TRUE(device.IsPlaying());

    ASSERT_TRUE(test::WaitFor([&] { return cache.RendererThread() != 0; }, kRenderWait));
    const auto renderer = static_cast<pid_t>(cache.RendererThread());
    EXPECT_NE(renderer, ::gettid()) << "never on the caller's thread";
    EXPECT_EQ(::sched_getscheduler(renderer), SCHED_IDLE);
    EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(renderer)), 19);
    LetRendererRun(cache);

    ASSERT_TRUE(test::WaitFor([&] { return cache.Complete(); }, kRenderWait));
    // On a busy machine the short piece may have ended meanwhile; it must
    // not have been cut off by the render.
    EXPECT_TRUE(device.IsPlaying() || device.Position() >= device.Length())
        << "the live piece plays on";
    // The next open plays the rendered piece, and the SoundFont goes.
    ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
    EXPECT_TRUE(device.PlaysRendered());
    EXPECT_FALSE(device.HoldsSoundFont());
    EXPECT_EQ(device.Length(), liveLength);
}

// Played in real time: the position rises, never past the length, and the
// piece ends there, as the live device's does.
TEST_F(CachedDeviceTest, ARenderedPieceNeverLoadsTheSoundFontAndEndsAtItsLength) {
    const auto piece = test::TempoPiece(6);
    StoreRendered(piece);
    const QString path = Put(piece);
    MusicCache cache(Folder(), {test::AsByteArray(piece)});
    MusicDevice device(output_, {SoundFont()}, &cache);

    ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
    EXPECT_TRUE(device.PlaysRendered());
    EXPECT_FALSE(device.HoldsSoundFont());
    EXPECT_EQ(device.Length(), 6 * 96);
    EXPECT_EQ(device.Position(), 0);
    ASSERT_EQ(device.Play(), MusicDevice::kNoError);
    std::int64_t last = 0;
    bool rose = true;
    EXPECT_TRUE(test::WaitFor(
        [&] {
            const std::int64_t now = device.Position();
            rose = rose && now >= last && now <= device.Length();
            last = now;
            return !device.IsPlaying();
        },
        20s));
    EXPECT_TRUE(rose);
    EXPECT_EQ(device.Position(), device.Length());
    EXPECT_FALSE(device.HoldsSoundFont());
}

TEST_F(CachedDeviceTest, ADamagedEntryPlaysLiveAndIsRenderedAgain) {
    const auto piece = test::PianoPiece(8);
    const std::string entry = StoreRendered(piece);
    const std::string whole = ReadAll(entry);
    WriteAll(entry, whole.substr(0, whole.size() - 4000));
    const QString path = Put(piece);
    MusicCache cache(Folder(), {test::AsByteArray(piece)});
    MusicDevice device(output_, {SoundFont()}, &cache);

    ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
    EXPECT_FALSE(device.PlaysRendered());
    ASSERT_EQ(device.Play(), MusicDevice::kNoError);
    EXPECT_TRUE(device.IsPlaying());
    LetRendererRun(cache);

    ASSERT_TRUE(test::WaitFor([&] { return cache.Complete(); }, kRenderWait));
    EXPECT_TRUE(EntryWhole(piece));
    ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
    EXPECT_TRUE(device.PlaysRendered());
}

// The cache is an optimisation only: a folder that cannot be written costs
// one line on stderr, and the piece plays live as without a cache.
TEST_F(CachedDeviceTest, AnUnwritableCacheFolderPlaysLiveWithOneLineOnStderr) {
    struct Case {
        const char* name;
        std::string folder;
        bool needsUnprivileged;
        const char* reason = "";  // part of the line, where it matters
    };
    const std::string blocker = cacheDir_.filePath(QStringLiteral("a-file")).toStdString();
    WriteAll(blocker, "in the way");
    const std::string readOnly = cacheDir_.filePath(QStringLiteral("read-only")).toStdString();
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
    const std::string dangling = cacheDir_.filePath(QStringLiteral("dangling")).toStdString();
    ASSERT_EQ(::symlink("/nowhere/at/all", dangling.c_str()), 0);
    const std::string fifo = cacheDir_.filePath(QStringLiteral("fifo")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<Case> cases{
        {"under a file", blocker + "/QZ's Kwadrill", false},
        {"a dangling link", dangling, false},
        {"a FIFO", fifo, false},
        {"read-only", readOnly, true},
        // Why it could not be made, not that it is missing.
        {"in a read-only folder", readOnly + "/QZ's Kwadrill", true, "Permission denied"}};
    const auto piece = test::PianoPiece(8);
    const QString path = Put(piece);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsUnprivileged && ::geteuid() == 0) {
            std::cout << "[          ] " << c.name << ": runs in audio_tests_unprivileged\n";
            continue;
        }
        testing::internal::CaptureStderr();
        {
            MusicCache cache(c.folder, {test::AsByteArray(piece)});
            MusicDevice device(output_, {SoundFont()}, &cache);
            ASSERT_EQ(device.Open(path), MusicDevice::kNoError);
            ASSERT_EQ(device.Play(), MusicDevice::kNoError);
            EXPECT_FALSE(device.PlaysRendered());
            EXPECT_TRUE(device.IsPlaying());
            // The renderer gives up at once, before rendering anything.
            EXPECT_TRUE(test::WaitFor([&] { return cache.RendererEnded(); }, kRenderWait));
            EXPECT_TRUE(device.IsPlaying());
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("music cache"), std::string::npos) << said;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
    }
}

std::vector<QByteArray> AsByteArrays(const std::vector<std::vector<std::uint8_t>>& pieces) {
    std::vector<QByteArray> bytes;
    for (const auto& piece : pieces) bytes.push_back(test::AsByteArray(piece));
    return bytes;
}

// Something at one piece's name that the cache must leave alone costs that
// piece alone: one line names the entry and why, and the others are rendered.
TEST_F(CachedDeviceTest, ADirectoryOrFifoAtOneEntryCostsOneLineAndTheOthersAreRendered) {
    const std::vector<std::vector<std::uint8_t>> pieces{test::PianoPiece(3), test::PianoPiece(4),
                                                        test::TempoPiece(4)};
    std::vector<std::string> keys;
    for (const auto& piece : pieces) keys.push_back(MusicCache::KeyFor(piece, SoundFont(), kRate));
    for (const Obstacle& obstacle : kObstacles) {
        SCOPED_TRACE(obstacle.name);
        QTemporaryDir dir;
        MusicCacheFolder folder(dir.path().toStdString());
        // The first piece's: the renderer takes the pieces in order, so the
        // line is out once the others are there.
        const std::string blocked = folder.PathFor(keys[0]);
        if (!obstacle.plant(blocked)) {
            std::cout << "[          ] " << obstacle.name << " cannot be made here\n";
            continue;
        }
        testing::internal::CaptureStderr();
        {
            MusicCache cache(folder.Folder(), AsByteArrays(pieces));
            cache.StartRendering(SoundFont(), kRate);
            LetRendererRun(cache);
            EXPECT_TRUE(test::WaitFor(
                [&] {
                    return (folder.Present(keys[1]) && folder.Present(keys[2])) ||
                           cache.RendererEnded();
                },
                kRenderWait));
            EXPECT_FALSE(cache.RendererEnded()) << "the renderer gave up on all pieces";
            EXPECT_FALSE(cache.Complete());
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(blocked + ": " + obstacle.reason), std::string::npos) << said;
        EXPECT_TRUE(StillThere(obstacle, blocked));
        for (const std::size_t i : {1u, 2u})
            EXPECT_EQ(folder.Open(keys[i], kRate).found, MusicCacheFolder::Found::Whole) << i;
    }
}

// The budget holds once a piece is stored, not only from the next start:
// the oldest entries of other pieces go, and never these pieces' own.
TEST_F(CachedDeviceTest, TheBudgetHoldsOnceThePiecesAreStored) {
    const std::vector<std::vector<std::uint8_t>> pieces{test::PianoPiece(4), test::PianoPiece(6)};
    constexpr std::int64_t kStaleBytes = 128 * 1024;
    constexpr int kStale = 4;
    // Entries of an earlier SoundFont, oldest first, filling the budget exactly.
    std::vector<std::string> stale;
    for (int i = 0; i < kStale; ++i) {
        stale.push_back(Folder() + '/' + std::string(64, static_cast<char>('1' + i)) + ".ogg");
        WriteAll(stale.back(), std::string(kStaleBytes, 'o'));
        const timespec when{::time(nullptr) - 1000 * (kStale - i), 0};
        const timespec times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, stale.back().c_str(), times, 0), 0);
    }
    const std::int64_t budget = kStale * kStaleBytes;
    MusicCache cache(Folder(), AsByteArrays(pieces), budget);
    cache.StartRendering(SoundFont(), kRate);
    LetRendererRun(cache);
    ASSERT_TRUE(test::WaitFor([&] { return cache.Complete(); }, kRenderWait));

    std::int64_t total = 0;
    for (const QFileInfo& entry : QDir(QString::fromStdString(Folder())).entryInfoList(QDir::Files))
        total += entry.size();
    std::int64_t rendered = 0;
    for (const auto& piece : pieces) {
        const std::string key = MusicCache::KeyFor(piece, SoundFont(), kRate);
        rendered +=
            QFileInfo(QString::fromStdString(MusicCacheFolder(Folder()).PathFor(key))).size();
        EXPECT_TRUE(EntryWhole(piece));
    }
    ASSERT_LT(rendered, (kStale - 1) * kStaleBytes) << "the newest old entry fits beside them";
    EXPECT_LE(total, budget);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(stale.front())));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(stale.back())));
    for (int i = 1; i < kStale; ++i) {
        if (QFileInfo::exists(QString::fromStdString(stale[i - 1]))) {
            EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(stale[i])))
                << "a newer entry went while an older one stayed";
        }
    }
}

// Closing the game must not wait for a render: the renderer leaves its piece
// unfinished and writes nothing. (How fast it ends on this machine is
// measured in bench/audio, not asserted here.)
TEST_F(CachedDeviceTest, StoppingEndsARenderUnderWayAndLeavesNoFile) {
    const auto piece = test::PianoPiece(960);  // eight minutes
    MusicCache cache(Folder(), {test::AsByteArray(piece)});
    cache.StartRendering(SoundFont(), kRate);
    ASSERT_TRUE(test::WaitFor([&] { return cache.RendererThread() != 0; }, kRenderWait));

    QElapsedTimer clock;
    clock.start();
    const bool ended = cache.StopRendering();
    std::cout << "[          ] stopping took " << clock.elapsed() << " ms"
              << (ended ? "" : " (left to end by itself)") << "\n";
    EXPECT_TRUE(test::WaitFor([&] { return cache.RendererEnded(); }, kRenderWait));
    EXPECT_TRUE(QDir(QString::fromStdString(Folder()))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

}  // namespace
}  // namespace kwadrill
