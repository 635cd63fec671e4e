// The main window's hot paths, measured on the real widgets: painting the
// whole field, one fast tick of the destruction animation, the way from a key
// to the repainted well, and how closely the game's timers keep their period.
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "GameSession.h"
#include "GameTimer.h"
#include "GameTimings.h"
#include "SilentAudio.h"

namespace kwadrill {
namespace {

constexpr int kBlockTypes = 7;
constexpr int kCellPixels = 21;
constexpr int kSpawnColumn = 5;
constexpr int kExposeTimeoutMs = 5000;
constexpr int kExposePollMs = 10;

using test::SilentEffects;
using test::SilentMusic;

// The game session on silent audio. The game's own ticks are switched off:
// the benchmarks call the handlers.
class MainWindowRig {
public:
    MainWindowRig() : session_(effects_, music_, SessionSetup{.seed = 42}) {
        session_.Arrange();
        Show();
        controller().timer1().SetEnabled(false);
        controller().timer2().SetEnabled(false);
        controller().timer3().SetEnabled(false);
    }

    TForm1& form() { return session_.window(); }
    GameController& controller() { return session_.controller(); }
    GameFlags& flags() { return session_.flags(); }
    Engine& engine() { return session_.engine(); }

    // Shows the window and waits until the window system has exposed it, so
    // that a repaint really reaches the screen.
    void Show() {
        form().show();
        const QDeadlineTimer deadline(kExposeTimeoutMs);
        while (!(form().windowHandle() && form().windowHandle()->isExposed()) &&
               !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kExposePollMs);
        }
    }

    void FillBoard() {
        for (auto& cell : engine().board.cells) {
            cell = static_cast<std::uint8_t>(session_.random()(kBlockTypes) + 1);
        }
    }

private:
    SilentEffects effects_;
    SilentMusic music_;
    GameSession session_;
};

void DrawFieldFullBoard(benchmark::State& state, MainWindowRig& rig) {
    rig.FillBoard();
    const bool visible = state.range(0) != 0;
    if (visible) {
        rig.Show();
    } else {
        rig.form().hide();
    }
    for (auto _ : state) {
        rig.form().DrawField(rig.engine().board);
    }
    rig.Show();
    state.SetItemsProcessed(state.iterations() * kCellCount);
    state.SetLabel(visible ? "window shown" : "backing image only");
}

// Every cell is marked: the tick draws 135 destruction frames, each shown at once.
void FastTickDestructionFullBoard(benchmark::State& state, MainWindowRig& rig) {
    rig.FillBoard();
    rig.engine().matchMask.cells.fill(1);
    rig.engine().score = 0;
    GameFlags& flags = rig.flags();
    flags.gameRunning = true;
    flags.collapsing = true;
    flags.matchPending = true;
    flags.paused = false;
    rig.flags().levelBlinkTicks = 0;
    int frame = 0;
    for (auto _ : state) {
        rig.flags().destructionFramesLeft = kDestructionFrames - frame;
        rig.controller().Timer2Timer();
        frame = (frame + 1) % kDestructionFrames;
    }
    flags = GameFlags{};
    rig.engine().matchMask.cells.fill(0);
    state.SetItemsProcessed(state.iterations() * kCellCount);
}

QImage CellOnScreen(const QImage& screen, int column) {
    return screen.copy((column - 1) * kCellPixels, 0, kCellPixels, kCellPixels);
}

// From a posted Left key to the well's screen showing the moved piece: event
// dispatch, the controller, the engine, DrawField and the repaint.
void KeyLeftToRepaintedWell(benchmark::State& state, MainWindowRig& rig) {
    Engine& engine = rig.engine();
    rig.flags() = GameFlags{};
    rig.flags().gameRunning = true;
    for (auto _ : state) {
        state.PauseTiming();
        engine.ClearField();
        for (int k = 0; k < 3; ++k) {
            engine.board.At(kSpawnColumn + k, 1) = static_cast<std::uint8_t>(k + 1);
            engine.fallingPiece.blocks[static_cast<std::size_t>(k)] = {
                static_cast<std::uint8_t>(kSpawnColumn + k), 1};
        }
        rig.form().DrawField(rig.engine().board);
        const QImage before = CellOnScreen(rig.form().WellScreen(), kSpawnColumn - 1);
        state.ResumeTiming();

        QCoreApplication::postEvent(&rig.form(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier));
        while (CellOnScreen(rig.form().WellScreen(), kSpawnColumn - 1) == before) {
            QCoreApplication::processEvents();
        }
    }
    rig.flags() = GameFlags{};
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

// The real GameTimer objects in an event loop, all three at once as in a
// game (main tick at the given period, fast and sound-delay ticks at 50 ms).
// Deviation = |measured interval - period| per tick.
void TimerAccuracy(benchmark::State& state) {
    const int mainPeriod = static_cast<int>(state.range(0));
    const int seconds = static_cast<int>(state.range(1));
    struct Trace {
        qint64 last = -1;
        std::vector<double> deviationsMs;
    };
    Trace main;
    Trace fast;
    Trace delay;
    QElapsedTimer clock;
    auto recorder = [&clock](Trace& trace, int period) {
        return [&clock, &trace, period] {
            const qint64 now = clock.nsecsElapsed();
            if (trace.last >= 0) {
                trace.deviationsMs.push_back(std::abs((now - trace.last) / 1e6 - period));
            }
            trace.last = now;
        };
    };
    for (auto _ : state) {
        clock.start();
        GameTimer timer1(mainPeriod, true, recorder(main, mainPeriod));
        GameTimer timer2(kFastTickMs, true, recorder(fast, kFastTickMs));
        GameTimer timer3(kSoundDelayTickMs, true, recorder(delay, kSoundDelayTickMs));
        QEventLoop loop;
        // Precise: a single shot this long would otherwise be coarse (5 %).
        QTimer::singleShot(seconds * 1000 + mainPeriod / 2, Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    auto report = [&state](const char* name, const Trace& trace) {
        double sum = 0;
        for (double d : trace.deviationsMs) sum += d;
        state.counters[std::string(name) + "_mean_ms"] = sum / trace.deviationsMs.size();
        state.counters[std::string(name) + "_p99_ms"] = Percentile(trace.deviationsMs, 0.99);
        state.counters[std::string(name) + "_max_ms"] = Percentile(trace.deviationsMs, 1.0);
    };
    report("main", main);
    report("fast", fast);
    report("delay", delay);
    state.counters["main_ticks"] = static_cast<double>(main.deviationsMs.size());
}

}  // namespace
}  // namespace kwadrill

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    kwadrill::MainWindowRig rig;
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("BM_DrawFieldFullBoard", kwadrill::DrawFieldFullBoard, std::ref(rig))
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("BM_FastTickDestructionFullBoard", kwadrill::FastTickDestructionFullBoard,
                      std::ref(rig))
        ->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("BM_KeyLeftToRepaintedWell", kwadrill::KeyLeftToRepaintedWell, std::ref(rig))
        ->Unit(benchmark::kMicrosecond);
    // Period of the main tick, seconds measured.
    RegisterBenchmark("BM_TimerAccuracy", kwadrill::TimerAccuracy)
        ->Args({kwadrill::kMainTickIdleMs, 20})
        ->Args({kwadrill::kMainTickGameMs, 20})
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
