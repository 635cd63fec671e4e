#pragma once

#include "MusicCacheFolder.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace kwadrill {

// The game's music rendered once and kept: the cache folder, and a
// background renderer that fills it with the pieces that are missing, one
// at a time, at the lowest priority the system has (SCHED_IDLE, nice 19,
// idle I/O), so it only ever takes time nothing else wants. The piece the
// device asked for comes first, then the pieces in their given order.
//
// The cache is an optimisation only: when its folder cannot be written, one
// line goes to stderr and the renderer ends; the device plays live. Something
// other than a file at one piece's name (a folder, a FIFO, a device) is left
// alone and costs one line naming it; only that piece stays live.
//
// The folder is kept within its budget when the renderer starts and after
// each piece it stores: entries of other pieces (an earlier SoundFont or
// version) go, the least recently written first; these pieces' own never do.
class MusicCache {
public:
    // How long stopping waits for the renderer to end before leaving it to
    // the end of the process: a thread at idle priority may wait long for
    // a core on a busy machine, and closing the game must not. Synthesizing,
    // it ends within 20 ms; loading a SoundFont's instruments, which cannot
    // be cut short, it took up to 190 ms on a loaded machine (bench/audio).
    // Left alone it writes nothing, and it touches nothing the end of the
    // process takes down.
    static constexpr std::chrono::milliseconds kStopWait{150};

    // pieces: the MIDI files the game can play, menu piece first; budget:
    // the bytes the folder's entries may take.
    MusicCache(std::string folder, std::vector<QByteArray> pieces,
               std::int64_t budget = MusicCacheFolder::kBudgetBytes);
    // Stops the renderer.
    ~MusicCache();
    MusicCache(const MusicCache&) = delete;
    MusicCache& operator=(const MusicCache&) = delete;

    // The key of a piece played with this SoundFont at this rate; empty
    // when the SoundFont cannot be found.
    static std::string KeyFor(std::span<const std::uint8_t> midi, const std::string& soundFont,
                              int sampleRate);

    // The piece's entry when it is whole. A damaged one is deleted and the
    // renderer renders it again.
    MusicCacheFolder::Lookup Find(const std::string& key, int sampleRate);
    // An entry the decoder refused after all: deleted and rendered again.
    void Discard(const std::string& key);
    // The piece being heard live: rendered next.
    void Want(const std::string& key);
    // True once every piece has a whole entry.
    bool Complete() const;

    // Starts the renderer, once; later calls do nothing.
    void StartRendering(const std::string& soundFont, int sampleRate);
    // Ends the renderer, waiting kStopWait at most. True when it has ended.
    bool StopRendering();

    // The renderer's thread id while it runs, else 0; for checks.
    long RendererThread() const;
    // True once a started renderer has ended (stopped, or given up); for checks.
    bool RendererEnded() const;
    const std::string& Folder() const;

private:
    struct State;
    void Recheck();
    static void Run(const std::shared_ptr<State>& state, std::string soundFont, int sampleRate);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace kwadrill
