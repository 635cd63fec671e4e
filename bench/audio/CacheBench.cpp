// Figures of the music cache: the CPU and memory of a rendered piece against
// a live one, opening a rendered piece, the cold cache (the idle renderer
// filling it beside a live piece: time, memory, underruns), and how long
// stopping the renderer takes, also with every core busy.
#include "AudioOutput.h"
#include "BenchPieces.h"
#include "MusicCache.h"
#include "MusicCacheFolder.h"
#include "MusicDevice.h"
#include "MusicFiles.h"
#include "PieceRenderer.h"
#include "SoundFontSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <SDL_mixer.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace kwadrill::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = AudioOutput::kFrequency;
constexpr auto kPeriod =
    std::chrono::microseconds(1'000'000LL * AudioOutput::kBufferFrames / kRate);

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Times SDL's audio thread: a buffer mixed more than two periods after the
// one before would have left a device holding two periods without sound.
class UnderrunCounter {
public:
    UnderrunCounter() { Mix_SetPostMix(Mixed, this); }
    ~UnderrunCounter() { Mix_SetPostMix(nullptr, nullptr); }  // waits for the callback
    UnderrunCounter(const UnderrunCounter&) = delete;
    UnderrunCounter& operator=(const UnderrunCounter&) = delete;

    int Underruns() const { return underruns_; }
    double WorstGapMs() const { return worstUs_ / 1000.0; }
    long Buffers() const { return buffers_; }

private:
    static void SDLCALL Mixed(void* self, Uint8*, int) {
        auto& counter = *static_cast<UnderrunCounter*>(self);
        const auto now = Clock::now().time_since_epoch().count();
        const auto last = counter.last_.exchange(now);
        ++counter.buffers_;
        if (last == 0) return;
        const auto gap =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::duration(now - last));
        if (gap > 2 * kPeriod) ++counter.underruns_;
        if (gap.count() > counter.worstUs_) counter.worstUs_ = gap.count();
    }

    std::atomic<Clock::rep> last_{0};
    std::atomic<int> underruns_{0};
    std::atomic<long> buffers_{0};
    std::atomic<long> worstUs_{0};
};

// Threads that spin at normal priority: other programs' work on a busy machine.
class Hogs {
public:
    explicit Hogs(int count) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this] {
                while (!stop_) benchmark::DoNotOptimize(spin_++);
            });
    }
    ~Hogs() {
        stop_ = true;
        for (auto& thread : threads_) thread.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<long> spin_{0};
    std::vector<std::thread> threads_;
};

std::string SoundFont() {
    return FindSoundFont(DefaultSoundFontCandidates());
}

// The menu piece, written out as the game would.
QString WriteMenu(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("qzkm1.mid"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(GamePieces().front().bytes);
    return path;
}

std::vector<QByteArray> MenuPiece() {
    return {GamePieces().front().bytes};
}

void RenderInto(const std::string& folder, const QString& midiPath) {
    QFile file(midiPath);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const std::span midi(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
    const std::string key = MusicCache::KeyFor(midi, SoundFont(), kRate);
    const std::atomic<bool> stop{false};
    std::string problem;
    MusicCacheFolder(folder).Store(key, PieceRenderer::Render(midi, SoundFont(), kRate, key, stop),
                                   problem);
}

enum class Music { None, Live, Rendered };

// The process for ten seconds with the output open: silent, or while the
// menu piece plays live or rendered.
void Playing(benchmark::State& state, Music music) {
    QTemporaryDir scratch, cacheDir;
    const QString menu = WriteMenu(scratch);
    const bool rendered = music == Music::Rendered;
    if (rendered) RenderInto(cacheDir.path().toStdString(), menu);
    MusicCache cache(cacheDir.path().toStdString(), {GamePieces().front().bytes});
    const long before = ResidentKib();
    AudioOutput output;
    MusicDevice device(output, DefaultSoundFontCandidates(), rendered ? &cache : nullptr);
    if (music != Music::None &&
        (device.Open(menu) != MusicDevice::kNoError || device.Play() != MusicDevice::kNoError ||
         device.PlaysRendered() != rendered)) {
        state.SkipWithError("cannot play");
        return;
    }
    std::this_thread::sleep_for(1s);
    for (auto _ : state) {
        UnderrunCounter underruns;
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = Clock::now();
        std::this_thread::sleep_for(10s);
        const double wall = Seconds(Clock::now() - wallBefore);
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100 * (ProcessCpuSeconds() - cpuBefore) / wall;
        state.counters["underruns"] = underruns.Underruns();
        state.counters["worst_gap_ms"] = underruns.WorstGapMs();
    }
    state.counters["rss_added_MiB"] = (ResidentKib() - before) / 1024.0;
    state.counters["soundfont_loaded"] = device.HoldsSoundFont();
}

// Opening the rendered menu piece: the first open of a run reads the file
// through; later ones know it.
void OpenRendered(benchmark::State& state, bool first) {
    QTemporaryDir scratch, cacheDir;
    const QString menu = WriteMenu(scratch);
    RenderInto(cacheDir.path().toStdString(), menu);
    AudioOutput output;
    auto cache = std::make_unique<MusicCache>(cacheDir.path().toStdString(), MenuPiece());
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            cache = std::make_unique<MusicCache>(cacheDir.path().toStdString(), MenuPiece());
            state.ResumeTiming();
        }
        MusicDevice device(output, DefaultSoundFontCandidates(), cache.get());
        if (device.Open(menu) != MusicDevice::kNoError || !device.PlaysRendered())
            state.SkipWithError("not rendered");
    }
}

// A player's first run: the menu piece plays live, repeating, while the
// renderer fills an empty cache with all thirteen pieces at idle priority.
// With `hogs` threads spinning at normal priority beside it (a busy
// machine), for one minute only: the renderer then gets next to nothing.
void ColdCache(benchmark::State& state) {
    const auto hogCount = static_cast<int>(state.range(0));
    const auto limit = hogCount > 0 ? Clock::duration(1min) : Clock::duration(15min);
    for (auto _ : state) {
        QTemporaryDir scratch, cacheDir;
        const QString menu = WriteMenu(scratch);
        const long before = ResidentKib();
        AudioOutput output;
        MusicCache cache(cacheDir.path().toStdString(), MusicFiles::ResourcePieces());
        MusicDevice device(output, DefaultSoundFontCandidates(), &cache);
        Hogs hogs(hogCount);
        UnderrunCounter underruns;
        const auto start = Clock::now();
        long renderer = 0;
        double rendererCpu = 0;
        while (!cache.Complete() && Clock::now() - start < limit) {
            if (!device.IsPlaying()) {
                device.Open(menu);
                device.Play();
            }
            if (renderer == 0) renderer = cache.RendererThread();
            if (renderer != 0) rendererCpu = std::max(rendererCpu, ThreadCpuSeconds(renderer));
            std::this_thread::sleep_for(50ms);
        }
        const double wall = Seconds(Clock::now() - start);
        state.SetIterationTime(wall);
        state.counters["render_all_wall_s"] = cache.Complete() ? wall : 0;
        state.counters["renderer_cpu_s"] = rendererCpu;
        state.counters["underruns"] = underruns.Underruns();
        state.counters["buffers"] = underruns.Buffers();
        state.counters["worst_gap_ms"] = underruns.WorstGapMs();
        qint64 bytes = 0;
        for (const QFileInfo& file : QDir(cacheDir.path()).entryInfoList(QDir::Files))
            bytes += file.size();
        state.counters["cache_MB"] = bytes / 1e6;
        if (hogCount > 0) continue;
        const long complete = ResidentKib();
        device.Close();
        device.Open(menu);  // rendered now: the SoundFont goes
        device.Play();
        std::this_thread::sleep_for(2s);
        state.counters["rss_before_MiB"] = before / 1024.0;
        state.counters["rss_peak_MiB"] = PeakResidentKib() / 1024.0;
        state.counters["rss_complete_MiB"] = complete / 1024.0;
        state.counters["rss_rendered_playing_MiB"] = ResidentKib() / 1024.0;
        state.counters["soundfont_loaded_after"] = device.HoldsSoundFont();
    }
}

// The menu piece live, no renderer, beside `hogs` spinning threads: what the
// load alone does to the output.
void LiveUnderLoad(benchmark::State& state) {
    QTemporaryDir scratch;
    const QString menu = WriteMenu(scratch);
    AudioOutput output;
    MusicDevice device(output);
    device.Open(menu);
    device.Play();
    for (auto _ : state) {
        Hogs hogs(static_cast<int>(state.range(0)));
        UnderrunCounter underruns;
        std::this_thread::sleep_for(1min);
        state.SetIterationTime(60);
        state.counters["underruns"] = underruns.Underruns();
        state.counters["buffers"] = underruns.Buffers();
        state.counters["worst_gap_ms"] = underruns.WorstGapMs();
    }
}

// How long the game's close waits for the renderer, caught after `cpu_ms`
// of its work (50: loading the SoundFont and the piece's instruments; 500:
// synthesizing); with `hogs` threads spinning at normal priority beside it.
void StopRenderer(benchmark::State& state) {
    const auto hogCount = static_cast<int>(state.range(0));
    const double caughtAt = static_cast<double>(state.range(1)) / 1000;
    int abandoned = 0;
    for (auto _ : state) {
        QTemporaryDir cacheDir;
        MusicCache cache(cacheDir.path().toStdString(), MusicFiles::ResourcePieces());
        cache.StartRendering(SoundFont(), kRate);
        while (cache.RendererThread() == 0) std::this_thread::sleep_for(1ms);
        const long renderer = cache.RendererThread();
        while (ThreadCpuSeconds(renderer) < caughtAt) std::this_thread::sleep_for(1ms);
        Hogs hogs(hogCount);
        if (hogCount > 0) std::this_thread::sleep_for(1s);  // the hogs take the cores
        const auto before = Clock::now();
        abandoned += !cache.StopRendering();
        state.SetIterationTime(Seconds(Clock::now() - before));
    }
    state.counters["left_to_end_alone"] = abandoned;
}

}  // namespace
}  // namespace kwadrill::bench

int main(int argc, char** argv) {
    using namespace kwadrill::bench;
    benchmark::RegisterBenchmark("Playing/silent", Playing, Music::None)
        ->Iterations(1)
        ->UseManualTime();
    benchmark::RegisterBenchmark("Playing/live", Playing, Music::Live)
        ->Iterations(1)
        ->UseManualTime();
    benchmark::RegisterBenchmark("Playing/rendered", Playing, Music::Rendered)
        ->Iterations(1)
        ->UseManualTime();
    benchmark::RegisterBenchmark("OpenRendered/first", OpenRendered, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenRendered/later", OpenRendered, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ColdCache", ColdCache)
        ->ArgName("hogs")
        ->Arg(0)
        ->Arg(2)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("LiveUnderLoad", LiveUnderLoad)
        ->ArgName("hogs")
        ->Arg(2)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("StopRenderer", StopRenderer)
        ->ArgNames({"hogs", "cpu_ms"})
        ->ArgsProduct({{0, 2}, {50, 500}})
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
