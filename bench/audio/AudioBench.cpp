// Audio figures: rendering cost per second of music, SoundFont memory,
// open times, and the CPU the open output takes while idle and playing.
#include "AudioOutput.h"
#include "BenchPieces.h"
#include "MidiFileInfo.h"
#include "MidiSynth.h"
#include "MusicDevice.h"
#include "SoundFontSearch.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <span>
#include <thread>

namespace kwadrill::bench {
namespace {

constexpr int kFrequency = AudioOutput::kFrequency;
constexpr int kBlockFrames = AudioOutput::kBufferFrames;

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Returns the most CPU time one block took, in milliseconds: a block must
// take much less than its own length (23 ms) or the output underruns.
// (Wall time would count this busy machine's preemptions.)
double RenderSeconds(MidiSynth& synth, double seconds, const QByteArray& piece) {
    static thread_local std::vector<std::int16_t> block(kBlockFrames * 2);
    double worst = 0;
    for (int frames = 0; frames < seconds * kFrequency; frames += kBlockFrames) {
        const double before = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        synth.Render(block.data(), kBlockFrames);
        worst = std::max(worst, 1000 * (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - before));
        if (!synth.PlayerRunning()) synth.Start(Bytes(piece));
    }
    return worst;
}

void PinPrograms(MidiSynth& synth, const QByteArray& piece) {
    synth.PinPrograms(MidiFileInfo::Read(Bytes(piece)).programs);
}

// CPU time of one iteration is the cost of one second of music.
void RenderOneSecond(benchmark::State& state, const QByteArray& piece) {
    MidiSynth synth(kFrequency);
    if (!synth.LoadSoundFont(FindSoundFont(DefaultSoundFontCandidates()))) {
        state.SkipWithError("no SoundFont");
        return;
    }
    synth.Start(Bytes(piece));
    RenderSeconds(synth, 5, piece);  // loads the instruments the piece opens with
    for (auto _ : state) RenderSeconds(synth, 1, piece);
}

void SoundFontMemory(benchmark::State& state) {
    const auto pieces = GamePieces();
    for (auto _ : state) {
        const long before = ResidentKib();
        MidiSynth synth(kFrequency);
        synth.LoadSoundFont(FindSoundFont(DefaultSoundFontCandidates()));
        const long loaded = ResidentKib();
        double worstBlock = 0;
        for (const Piece& piece : pieces) {
            if (state.range(0) != 0) PinPrograms(synth, piece.bytes);
            synth.Start(Bytes(piece.bytes));
            worstBlock = std::max(worstBlock, RenderSeconds(synth, 60, piece.bytes));
        }
        state.counters["worst_block_ms"] = worstBlock;
        state.counters["rss_before_MiB"] = before / 1024.0;
        state.counters["rss_loaded_MiB"] = loaded / 1024.0;
        state.counters["rss_all_pieces_played_MiB"] = ResidentKib() / 1024.0;
    }
}

QString WriteFirstPiece(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("piece.mid"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(GamePieces().front().bytes);
    return path;
}

// The first open of the program's run: synthesizer, SoundFont and piece.
void FirstOpen(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFirstPiece(dir);
    AudioOutput output;
    for (auto _ : state) {
        MusicDevice device(output);
        if (device.Open(path) != MusicDevice::kNoError) state.SkipWithError("open failed");
    }
}

void LaterOpen(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteFirstPiece(dir);
    AudioOutput output;
    MusicDevice device(output);
    device.Open(path);
    for (auto _ : state) {
        if (device.Open(path) != MusicDevice::kNoError) state.SkipWithError("open failed");
    }
}

// Takes SDL_AUDIODRIVER from the environment; unset, it tries the real
// drivers first and falls back to "dummy" on a machine without sound.
// Only the opening is timed; closing waits for the audio thread's last buffer.
void OutputOpen(benchmark::State& state) {
    for (auto _ : state) {
        const auto before = std::chrono::steady_clock::now();
        std::optional<AudioOutput> output;
        output.emplace();
        const std::chrono::duration<double> opening = std::chrono::steady_clock::now() - before;
        state.SetIterationTime(opening.count());
        benchmark::DoNotOptimize(output->IsOpen());
    }
}

// Share of one core the process uses over two seconds of wall time.
void CpuWhile(benchmark::State& state, bool playing) {
    QTemporaryDir dir;
    const QString path = WriteFirstPiece(dir);
    AudioOutput output;
    MusicDevice device(output);
    if (playing &&
        (device.Open(path) != MusicDevice::kNoError || device.Play() != MusicDevice::kNoError))
        state.SkipWithError("cannot play");
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
        state.SetIterationTime(wall.count());
        state.counters["cpu_percent"] =
            100 * (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore) / wall.count();
    }
}

}  // namespace
}  // namespace kwadrill::bench

int main(int argc, char** argv) {
    using namespace kwadrill::bench;
    for (const Piece& piece : GamePieces()) {
        benchmark::RegisterBenchmark(("RenderOneSecond/" + piece.name).toStdString().c_str(),
                                     RenderOneSecond, piece.bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("SoundFontMemory", SoundFontMemory)
        ->ArgName("pinned")
        ->Arg(0)
        ->Arg(1)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FirstOpen", FirstOpen)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LaterOpen", LaterOpen)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OutputOpen", OutputOpen)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CpuIdle", CpuWhile, false)->Iterations(1)->UseManualTime();
    benchmark::RegisterBenchmark("CpuPlaying", CpuWhile, true)->Iterations(1)->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
