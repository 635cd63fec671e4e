#include "MusicCache.h"

#include "PieceRenderer.h"

#include <malloc.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

namespace kwadrill {
namespace {

// linux/ioprio.h is not in every set of headers.
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassIdle = 3;
constexpr int kIoprioClassShift = 13;
constexpr int kLowestNice = 19;

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

constexpr int kIoprioClassBestEffort = 2;
constexpr int kIoprioLowestBestEffort = 7;

// Each step may be refused; the next still helps.
void TakeIdlePriority() {
    ::pthread_setname_np(::pthread_self(), "music-render");
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    ::setpriority(PRIO_PROCESS, tid, kLowestNice);
    const sched_param param{};
    ::sched_setscheduler(0, SCHED_IDLE, &param);
    ::syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassIdle << kIoprioClassShift);
}

// A thread at idle priority may wait for a core as long as anything else
// runs: told to stop, the renderer gets the ordinary class back (still at
// the lowest nice value, which is all an ordinary user may give it), so it
// sees the request and ends within moments.
void LeaveIdlePriority(long tid) {
    if (tid == 0) return;
    const sched_param param{};
    ::sched_setscheduler(static_cast<pid_t>(tid), SCHED_OTHER, &param);
    ::syscall(SYS_ioprio_set, kIoprioWhoProcess, static_cast<int>(tid),
              (kIoprioClassBestEffort << kIoprioClassShift) | kIoprioLowestBestEffort);
}

void ReportUnwritable(const MusicCacheFolder& folder, const std::string& problem) {
    std::fprintf(stderr,
                 "Kwadrill: the music cache %s cannot be written (%s); the music is synthesized "
                 "live.\n",
                 folder.Folder().c_str(), problem.c_str());
}

void ReportBlocked(const MusicCacheFolder& folder, const std::string& key,
                   const std::string& problem) {
    std::fprintf(stderr,
                 "Kwadrill: a piece of music cannot be cached at %s: %s; it is synthesized "
                 "live.\n",
                 folder.PathFor(key).c_str(), problem.c_str());
}

}  // namespace

struct MusicCache::State {
    State(std::string folderName, std::vector<QByteArray> midi, std::int64_t bytes)
        : folder(std::move(folderName)), pieces(std::move(midi)), budget(bytes) {}

    MusicCacheFolder folder;
    const std::vector<QByteArray> pieces;
    const std::int64_t budget;

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> stop{false};
    std::string wanted;
    bool recheck = false;  // an entry was found damaged
    bool ended = false;
    std::atomic<bool> complete{false};
    std::atomic<long> thread{0};
};

MusicCache::MusicCache(std::string folder, std::vector<QByteArray> pieces, std::int64_t budget)
    : state_(std::make_shared<State>(std::move(folder), std::move(pieces), budget)) {}

MusicCache::~MusicCache() {
    StopRendering();
}

std::string MusicCache::KeyFor(std::span<const std::uint8_t> midi, const std::string& soundFont,
                               int sampleRate) {
    const std::string identity = MusicCacheFolder::SoundFontIdentity(soundFont);
    if (identity.empty()) return {};
    return MusicCacheFolder::Key(midi, identity, PieceRenderer::SettingsText(sampleRate));
}

MusicCacheFolder::Lookup MusicCache::Find(const std::string& key, int sampleRate) {
    MusicCacheFolder::Lookup lookup = state_->folder.Open(key, sampleRate);
    if (lookup.found == MusicCacheFolder::Found::Damaged) Recheck();
    return lookup;
}

void MusicCache::Discard(const std::string& key) {
    state_->folder.Remove(key);
    Recheck();
}

void MusicCache::Recheck() {
    state_->complete = false;
    {
        const std::lock_guard lock(state_->mutex);
        state_->recheck = true;
    }
    state_->changed.notify_all();
}

void MusicCache::Want(const std::string& key) {
    {
        const std::lock_guard lock(state_->mutex);
        state_->wanted = key;
    }
    state_->changed.notify_all();
}

bool MusicCache::Complete() const {
    return state_->complete;
}

long MusicCache::RendererThread() const {
    return state_->thread;
}

bool MusicCache::RendererEnded() const {
    const std::lock_guard lock(state_->mutex);
    return state_->ended;
}

const std::string& MusicCache::Folder() const {
    return state_->folder.Folder();
}

void MusicCache::StartRendering(const std::string& soundFont, int sampleRate) {
    if (thread_.joinable() || state_->stop || state_->folder.Folder().empty()) return;
    thread_ = std::thread(Run, state_, soundFont, sampleRate);
}

bool MusicCache::StopRendering() {
    // Before the lock, which the renderer may hold while it waits for a core.
    LeaveIdlePriority(state_->thread);
    {
        const std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->changed.notify_all();
    if (!thread_.joinable()) return true;
    bool ended = false;
    {
        std::unique_lock lock(state_->mutex);
        ended = state_->changed.wait_for(lock, kStopWait, [this] { return state_->ended; });
    }
    if (ended) {
        thread_.join();
    } else {
        // It holds its own share of the state, and writes nothing once stopped.
        thread_.detach();
    }
    return ended;
}

void MusicCache::Run(const std::shared_ptr<State>& state, std::string soundFont, int sampleRate) {
    TakeIdlePriority();
    state->thread = static_cast<long>(::syscall(SYS_gettid));
    std::vector<std::string> keys;
    for (const QByteArray& piece : state->pieces)
        keys.push_back(KeyFor(Bytes(piece), soundFont, sampleRate));
    state->folder.Trim(keys, state->budget);

    std::vector<bool> failed(keys.size(), false);
    bool prepared = false;
    while (!state->stop) {
        std::string wanted;
        {
            const std::lock_guard lock(state->mutex);
            wanted = state->wanted;
            state->recheck = false;
        }
        // The piece being heard first, then the given order.
        std::vector<std::size_t> order;
        const auto heard = std::find(keys.begin(), keys.end(), wanted);
        if (heard != keys.end()) order.push_back(static_cast<std::size_t>(heard - keys.begin()));
        for (std::size_t i = 0; i < keys.size(); ++i) order.push_back(i);
        std::optional<std::size_t> next;
        bool whole = true;
        // Whether an entry is whole is found when the device opens it (and
        // a damaged one brings the renderer back here): reading all of them
        // through at every start would cost more than the music itself.
        for (const std::size_t i : order) {
            if (keys[i].empty() || failed[i]) {
                whole = false;
                continue;
            }
            if (!state->folder.Present(keys[i])) {
                next = i;
                break;
            }
        }
        if (!next) {
            std::unique_lock lock(state->mutex);
            // An entry found damaged meanwhile is not counted as there.
            state->complete = whole && !state->recheck;
            state->changed.wait(
                lock, [&] { return state->stop || state->recheck || state->wanted != wanted; });
            continue;
        }
        state->complete = false;
        std::string problem;
        // Known before rendering for nothing.
        if (!prepared && !(prepared = state->folder.Prepare(problem))) {
            ReportUnwritable(state->folder, problem);
            break;
        }
        // Known before rendering for nothing too; the other pieces go on.
        if (problem = state->folder.Obstacle(keys[*next]); !problem.empty()) {
            ReportBlocked(state->folder, keys[*next], problem);
            failed[*next] = true;
            continue;
        }
        std::string file = PieceRenderer::Render(Bytes(state->pieces[*next]), soundFont, sampleRate,
                                                 keys[*next], state->stop);
        const bool stored =
            !state->stop && !file.empty() && state->folder.Store(keys[*next], file, problem);
        file = {};
        // The new entry may have taken the folder past its budget.
        if (stored && !state->stop) state->folder.Trim(keys, state->budget);
        // The synthesizer's SoundFont tables and the file, freed on this
        // thread's own heap, go back to the system.
        ::malloc_trim(0);
        if (state->stop) break;
        if (stored) continue;
        if (problem.empty()) {
            failed[*next] = true;  // the piece or the SoundFont: not again in this run
        } else if (const std::string blocked = state->folder.Obstacle(keys[*next]);
                   !blocked.empty()) {
            ReportBlocked(state->folder, keys[*next], blocked);  // put there while it rendered
            failed[*next] = true;
        } else {
            ReportUnwritable(state->folder, problem);
            break;
        }
    }
    state->thread = 0;
    {
        const std::lock_guard lock(state->mutex);
        state->ended = true;
    }
    state->changed.notify_all();
}

}  // namespace kwadrill
