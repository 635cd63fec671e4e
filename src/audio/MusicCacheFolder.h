#pragma once

#include "TickMap.h"

#include <QString>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kwadrill {

// A rendered piece found in the cache, open and checked whole: its
// descriptor, its length in frames and the player's clock over it.
class CachedPiece {
public:
    CachedPiece(int fd, std::int64_t frames, TickMap ticks);
    ~CachedPiece();
    CachedPiece(CachedPiece&& other) noexcept;
    CachedPiece& operator=(CachedPiece&&) = delete;
    CachedPiece(const CachedPiece&) = delete;
    CachedPiece& operator=(const CachedPiece&) = delete;

    // Hands the descriptor, at the file's start, to the caller.
    int TakeDescriptor();
    std::int64_t Frames() const { return frames_; }
    const TickMap& Ticks() const { return ticks_; }

private:
    int fd_;
    std::int64_t frames_;
    TickMap ticks_;
};

// The folder of rendered pieces: one Ogg Vorbis file per piece, named by a
// hash of everything that shapes its sound. Files are written whole or not
// at all, and none is trusted before it has been read through: every Ogg
// page's checksum, the Vorbis headers, the stream's end, and the comments
// that name the key and the clock. Safe to use from several threads.
class MusicCacheFolder {
public:
    // Half again what the thirteen pieces take (45 MB), so the entries of an
    // earlier SoundFont or version can stay a while.
    static constexpr std::int64_t kBudgetBytes = 64LL * 1024 * 1024;
    // The comment tags of a rendered piece.
    static constexpr const char* kKeyTag = "KWADRILL_KEY";
    static constexpr const char* kFramesTag = "KWADRILL_FRAMES";
    static constexpr const char* kTicksTag = "KWADRILL_TICKS";

    // "$XDG_CACHE_HOME/QZ's Kwadrill" (~/.cache when unset); empty when
    // there is no home.
    static QString DefaultFolder();

    // What identifies a SoundFont's contents without reading it: its real
    // path, size and modification time; empty when it cannot be found.
    static std::string SoundFontIdentity(const std::string& path);
    // The hex SHA-256 of the MIDI bytes, the SoundFont's identity and the
    // render settings.
    static std::string Key(std::span<const std::uint8_t> midi, const std::string& soundFontIdentity,
                           const std::string& renderSettings);

    // An empty folder name: a cache that holds nothing and takes nothing.
    explicit MusicCacheFolder(std::string folder);

    const std::string& Folder() const { return folder_; }
    std::string PathFor(const std::string& key) const;

    enum class Found { Whole, Missing, Damaged };
    struct Lookup {
        Found found = Found::Missing;
        std::optional<CachedPiece> piece;
    };
    // The entry, when it is there and whole. A damaged one is deleted
    // (when the folder allows) and reported as Damaged, and so is a link at
    // its name; a folder, device, FIFO or socket there is reported as
    // Damaged and left alone.
    Lookup Open(const std::string& key, int sampleRate);

    // Why the entry cannot be stored: something at its name that is neither
    // a file nor a link (a folder, device, FIFO or socket), which is left
    // alone. Empty when nothing there stands in the way.
    std::string Obstacle(const std::string& key) const;

    // Something stands at the entry's name that may be the entry (a
    // regular file, not empty); unlike Open, this reads nothing.
    bool Present(const std::string& key) const;

    // Creates the folder when missing; false with the reason when it cannot
    // be written to.
    bool Prepare(std::string& problem);
    // Writes the entry whole or not at all, creating the folder: an unnamed
    // file linked in once written, where the file system has them (a killed
    // writer leaves nothing), else a partial file and a rename. A file or
    // link at its name is replaced. False with the reason when the folder
    // cannot take it, or when an Obstacle stands at its name.
    bool Store(const std::string& key, std::string_view bytes, std::string& problem);

    // Deletes the entry, one that the decoder refused after all.
    void Remove(const std::string& key);

    // Deletes partial files left by a killed writer and, while the entries
    // take more than the budget, the oldest ones not in keep.
    void Trim(const std::vector<std::string>& keep, std::int64_t budget = kBudgetBytes);

private:
    // 0: stored; 1: this file system has no unnamed files; -1: failed.
    int StoreUnnamed(const std::string& key, std::string_view bytes, std::string& problem);
    bool StoreNamed(const std::string& key, std::string_view bytes, std::string& problem);

    struct Facts {
        std::int64_t frames = 0;
        TickMap ticks;
    };
    // What was learnt from a file of this identity in this run.
    struct Checked {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modified = 0;
        int sampleRate = 0;
        std::optional<Facts> facts;

        bool SameFile(const Checked& other) const {
            return device == other.device && inode == other.inode && size == other.size &&
                   modified == other.modified && sampleRate == other.sampleRate;
        }
    };

    const std::string folder_;
    std::mutex mutex_;
    std::map<std::string, Checked> checked_;
};

}  // namespace kwadrill
