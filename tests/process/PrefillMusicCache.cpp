// Fills the music cache that the games of the process and end-to-end suites
// share ($XDG_CACHE_HOME/QZ's Kwadrill, as the game finds it), rendering
// what is missing as the game's own renderer would, but on every core at
// ordinary priority: the tests wait for it. Entries are made readable for
// all, as a game run as another user (nobody) reads them too.
//
//   XDG_CACHE_HOME=<folder> prefill_music_cache
#include "AudioOutput.h"
#include "MusicCache.h"
#include "MusicCacheFolder.h"
#include "MusicFiles.h"
#include "PieceRenderer.h"
#include "SoundFontSearch.h"

#include <QFile>

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <span>
#include <thread>
#include <vector>

using namespace kwadrill;

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

}  // namespace

int main() {
    const std::string soundFont = FindSoundFont(DefaultSoundFontCandidates());
    const std::string folderName =
        QFile::encodeName(MusicCacheFolder::DefaultFolder()).toStdString();
    if (soundFont.empty() || folderName.empty()) {
        std::fprintf(stderr, "no SoundFont or no cache folder: the games will play live\n");
        return 0;
    }
    MusicCacheFolder folder(folderName);
    const std::vector<QByteArray> pieces = MusicFiles::ResourcePieces();
    const int rate = AudioOutput::kFrequency;
    std::vector<std::string> keys;
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        keys.push_back(MusicCache::KeyFor(Bytes(pieces[i]), soundFont, rate));
        if (folder.Open(keys[i], rate).found != MusicCacheFolder::Found::Whole)
            missing.push_back(i);
    }
    std::atomic<std::size_t> next{0};
    std::atomic<int> failed{0};
    const std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (unsigned n = std::max(1u, std::thread::hardware_concurrency()); n > 0; --n) {
        workers.emplace_back([&] {
            for (std::size_t at; (at = next++) < missing.size();) {
                const std::size_t i = missing[at];
                const std::string file =
                    PieceRenderer::Render(Bytes(pieces[i]), soundFont, rate, keys[i], stop);
                std::string problem;
                if (file.empty() || !folder.Store(keys[i], file, problem)) {
                    std::fprintf(stderr, "piece %zu not stored: %s\n", i + 1, problem.c_str());
                    ++failed;
                }
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    folder.Trim(keys);
    ::chmod(folderName.c_str(), 0755);
    for (const std::string& key : keys) ::chmod(folder.PathFor(key).c_str(), 0644);
    std::printf("%zu of %zu pieces rendered into %s\n",
                missing.size() - static_cast<std::size_t>(failed.load()), pieces.size(),
                folderName.c_str());
    return failed == 0 ? 0 : 1;
}
