#include "MusicCacheFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace kwadrill {
namespace {

constexpr const char* kFolderName = "QZ's Kwadrill";
constexpr const char* kSuffix = ".ogg";
constexpr const char* kPartialInfix = ".part-";
// Far above any piece: a larger file is not one of ours.
constexpr std::int64_t kMaxEntryBytes = 64LL * 1024 * 1024;
constexpr std::size_t kReadChunk = 64 * 1024;
// A writer renames its partial file within moments; one this old was left
// by a process that was killed.
constexpr std::chrono::minutes kStalePartial{10};
constexpr int kVorbisHeaders = 3;
constexpr int kChannels = 2;

std::int64_t ModifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

std::string Describe(int error) {
    return std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Reads an Ogg Vorbis file through and checks it is one whole rendered
// piece with this key; its frames and clock.
class OggCheck {
public:
    OggCheck() {
        ogg_sync_init(&sync_);
        vorbis_info_init(&info_);
        vorbis_comment_init(&comment_);
    }
    ~OggCheck() {
        if (streaming_) ogg_stream_clear(&stream_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
        ogg_sync_clear(&sync_);
    }
    OggCheck(const OggCheck&) = delete;
    OggCheck& operator=(const OggCheck&) = delete;

    std::optional<std::pair<std::int64_t, TickMap>> Run(int fd, const std::string& key,
                                                        int sampleRate) {
        for (;;) {
            char* buffer = ogg_sync_buffer(&sync_, kReadChunk);
            const ssize_t got = ::read(fd, buffer, kReadChunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return {};
            if (got == 0) break;
            ogg_sync_wrote(&sync_, got);
            if (!TakePages()) return {};
        }
        // Bytes after the last whole page: a cut or appended file.
        if (!ended_ || sync_.fill != sync_.returned) return {};
        if (info_.channels != kChannels || info_.rate != sampleRate) return {};
        return Facts(key);
    }

private:
    bool TakePages() {
        ogg_page page;
        for (;;) {
            const int result = ogg_sync_pageout(&sync_, &page);
            if (result == 0) return true;
            // Skipped bytes: a page whose checksum fails, or no page at all.
            if (result < 0 || ended_) return false;
            if (!TakePage(page)) return false;
        }
    }

    bool TakePage(ogg_page& page) {
        if (!streaming_) {
            if (!ogg_page_bos(&page)) return false;
            ogg_stream_init(&stream_, ogg_page_serialno(&page));
            streaming_ = true;
        } else if (ogg_page_bos(&page) || ogg_page_serialno(&page) != stream_.serialno) {
            return false;
        }
        if (ogg_page_pageno(&page) != nextPage_++) return false;
        if (headers_ < kVorbisHeaders) {
            if (ogg_stream_pagein(&stream_, &page) != 0) return false;
            ogg_packet packet;
            while (headers_ < kVorbisHeaders && ogg_stream_packetout(&stream_, &packet) == 1) {
                if (vorbis_synthesis_headerin(&info_, &comment_, &packet) != 0) return false;
                ++headers_;
            }
        }
        const ogg_int64_t granule = ogg_page_granulepos(&page);
        if (granule >= 0) {
            if (granule < lastGranule_) return false;
            lastGranule_ = granule;
        }
        ended_ = ogg_page_eos(&page) != 0;
        return true;
    }

    std::optional<std::pair<std::int64_t, TickMap>> Facts(const std::string& key) {
        const char* storedKey = vorbis_comment_query(&comment_, MusicCacheFolder::kKeyTag, 0);
        const char* frames = vorbis_comment_query(&comment_, MusicCacheFolder::kFramesTag, 0);
        const char* ticks = vorbis_comment_query(&comment_, MusicCacheFolder::kTicksTag, 0);
        if (storedKey == nullptr || key != storedKey || frames == nullptr || ticks == nullptr)
            return {};
        std::int64_t frameCount = 0;
        const std::string_view text(frames);
        if (std::from_chars(text.data(), text.data() + text.size(), frameCount).ec != std::errc())
            return {};
        auto map = TickMap::FromText(ticks);
        if (!map || frameCount <= 0 || frameCount != lastGranule_) return {};
        return std::pair(frameCount, std::move(*map));
    }

    ogg_sync_state sync_{};
    ogg_stream_state stream_{};
    vorbis_info info_{};
    vorbis_comment comment_{};
    bool streaming_ = false;
    bool ended_ = false;
    int headers_ = 0;
    long nextPage_ = 0;
    ogg_int64_t lastGranule_ = 0;
};

// What stands at an entry's name that must be left alone, and why; empty
// when the name is free or holds a file or a link, which storing replaces
// (a link itself, never its target). A folder, device, FIFO or socket there
// is not the cache's to delete, and writing through it could do harm.
std::string InTheWay(const std::string& path) {
    struct stat at {};
    if (::lstat(path.c_str(), &at) != 0)
        return {};  // a folder gone or unreadable: not this entry's
    switch (at.st_mode & S_IFMT) {
        case S_IFREG:
        case S_IFLNK:
            return {};
        case S_IFDIR:
            return "a directory is in the way";
        case S_IFCHR:
        case S_IFBLK:
            return "a device is in the way";
        case S_IFIFO:
            return "a FIFO is in the way";
        case S_IFSOCK:
            return "a socket is in the way";
        default:
            return "something that is no file is in the way";
    }
}

bool IsHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

constexpr std::size_t kKeyLength = 64;

bool IsEntryName(std::string_view name) {
    return name.size() == kKeyLength + std::strlen(kSuffix) && name.ends_with(kSuffix) &&
           IsHex(name.substr(0, kKeyLength));
}

bool IsPartialName(std::string_view name) {
    return name.size() > kKeyLength && IsHex(name.substr(0, kKeyLength)) &&
           name.substr(kKeyLength).starts_with(kPartialInfix);
}

}  // namespace

CachedPiece::CachedPiece(int fd, std::int64_t frames, TickMap ticks)
    : fd_(fd), frames_(frames), ticks_(std::move(ticks)) {}

CachedPiece::~CachedPiece() {
    if (fd_ >= 0) ::close(fd_);
}

CachedPiece::CachedPiece(CachedPiece&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), frames_(other.frames_), ticks_(std::move(other.ticks_)) {}

int CachedPiece::TakeDescriptor() {
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0) ::lseek(fd, 0, SEEK_SET);
    return fd;
}

QString MusicCacheFolder::DefaultFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) return {};
    return QDir(base).filePath(QString::fromUtf8(kFolderName));
}

std::string MusicCacheFolder::SoundFontIdentity(const std::string& path) {
    std::error_code error;
    const auto real = std::filesystem::canonical(path, error);
    struct stat info {};
    if (error || ::stat(real.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    return real.string() + '\n' + std::to_string(info.st_size) + '\n' +
           std::to_string(ModifiedNs(info));
}

std::string MusicCacheFolder::Key(std::span<const std::uint8_t> midi,
                                  const std::string& soundFontIdentity,
                                  const std::string& renderSettings) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Lengths first, so no two different inputs run together into one text.
    for (const std::string_view part :
         {std::string_view(soundFontIdentity), std::string_view(renderSettings)}) {
        hash.addData(QByteArray::number(static_cast<qulonglong>(part.size())) + '\n');
        hash.addData(QByteArrayView(part.data(), static_cast<qsizetype>(part.size())));
    }
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(midi.data()),
                                static_cast<qsizetype>(midi.size())));
    return hash.result().toHex().toStdString();
}

MusicCacheFolder::MusicCacheFolder(std::string folder) : folder_(std::move(folder)) {}

std::string MusicCacheFolder::PathFor(const std::string& key) const {
    return folder_ + '/' + key + kSuffix;
}

MusicCacheFolder::Lookup MusicCacheFolder::Open(const std::string& key, int sampleRate) {
    Lookup lookup;
    if (folder_.empty() || key.size() != kKeyLength || !IsHex(key)) return lookup;
    const std::string path = PathFor(key);
    // Left alone, and a device not even opened: opening some has effects.
    struct stat at {};
    if (::lstat(path.c_str(), &at) == 0 && !S_ISREG(at.st_mode) && !S_ISLNK(at.st_mode)) {
        lookup.found = Found::Damaged;
        return lookup;
    }
    // No link is followed and no FIFO waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return lookup;
        lookup.found = Found::Damaged;
        if (errno == ELOOP) ::unlink(path.c_str());
        return lookup;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
                         info.st_size <= kMaxEntryBytes;
    std::optional<Facts> facts;
    if (regular) {
        Checked identity{info.st_dev, info.st_ino, info.st_size, ModifiedNs(info), sampleRate, {}};
        std::unique_lock lock(mutex_);
        const auto known = checked_.find(key);
        if (known != checked_.end() && known->second.SameFile(identity)) {
            facts = known->second.facts;
        } else {
            lock.unlock();
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            if (auto result = OggCheck().Run(fd, key, sampleRate))
                facts = Facts{result->first, std::move(result->second)};
            identity.facts = facts;
            lock.lock();
            checked_[key] = std::move(identity);
        }
    }
    if (!facts) {
        ::close(fd);
        // Only a damaged file goes; whatever else stands there is left alone.
        if (::lstat(path.c_str(), &at) == 0 && S_ISREG(at.st_mode)) ::unlink(path.c_str());
        lookup.found = Found::Damaged;
        return lookup;
    }
    lookup.found = Found::Whole;
    lookup.piece.emplace(fd, facts->frames, std::move(facts->ticks));
    return lookup;
}

bool MusicCacheFolder::Prepare(std::string& problem) {
    if (folder_.empty()) {
        problem = "no cache folder";
        return false;
    }
    std::error_code made;
    // A new cache folder is the player's alone, like the rest of the cache.
    if (std::filesystem::create_directories(folder_, made)) ::chmod(folder_.c_str(), 0700);
    std::error_code looked;
    if (!std::filesystem::is_directory(folder_, looked)) {
        // Why it could not be made says more than why it cannot be found.
        const std::error_code& why = made ? made : looked;
        problem = why ? why.message() : "not a folder";
        return false;
    }
    if (::access(folder_.c_str(), W_OK | X_OK) != 0) {
        problem = Describe(errno);
        return false;
    }
    return true;
}

void MusicCacheFolder::Remove(const std::string& key) {
    if (folder_.empty() || key.size() != kKeyLength || !IsHex(key)) return;
    ::unlink(PathFor(key).c_str());
    const std::lock_guard lock(mutex_);
    checked_.erase(key);
}

std::string MusicCacheFolder::Obstacle(const std::string& key) const {
    if (folder_.empty() || key.size() != kKeyLength || !IsHex(key)) return {};
    return InTheWay(PathFor(key));
}

bool MusicCacheFolder::Present(const std::string& key) const {
    if (folder_.empty() || key.size() != kKeyLength || !IsHex(key)) return false;
    struct stat info {};
    return ::lstat(PathFor(key).c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

// No fsync: an entry cut short by a crash fails the read-through at its next
// open and is rendered again, so waiting for the disk would buy nothing.
bool MusicCacheFolder::Store(const std::string& key, std::string_view bytes, std::string& problem) {
    if (!Prepare(problem)) return false;
    problem = Obstacle(key);
    if (!problem.empty()) return false;
    const int unnamed = StoreUnnamed(key, bytes, problem);
    const bool stored = unnamed == 0 || (unnamed > 0 && StoreNamed(key, bytes, problem));
    if (stored) {
        const std::lock_guard lock(mutex_);
        checked_.erase(key);
    }
    return stored;
}

int MusicCacheFolder::StoreUnnamed(const std::string& key, std::string_view bytes,
                                   std::string& problem) {
    const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return 1;
        problem = Describe(errno);
        return -1;
    }
    if (!WriteAll(fd, bytes)) {
        problem = Describe(errno);
        ::close(fd);
        return -1;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const std::string path = PathFor(key);
    int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
    // A file or link at the name is no entry (the renderer found none
    // there): it goes, as in Open. Anything else stays, and so does the piece.
    if (linked != 0 && errno == EEXIST) {
        if (std::string blocked = InTheWay(path); !blocked.empty()) {
            ::close(fd);
            problem = std::move(blocked);
            return -1;
        }
        if (::unlink(path.c_str()) == 0 || errno == ENOENT)
            linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
    }
    const int saved = errno;
    ::close(fd);
    if (linked == 0) return 0;
    if (saved == ENOENT) return 1;  // no /proc to name the file by
    problem = Describe(saved);
    return -1;
}

bool MusicCacheFolder::StoreNamed(const std::string& key, std::string_view bytes,
                                  std::string& problem) {
    std::string partial = folder_ + '/' + key + kPartialInfix + "XXXXXX";
    const int fd = ::mkostemp(partial.data(), O_CLOEXEC);
    if (fd < 0) {
        problem = Describe(errno);
        return false;
    }
    bool written = WriteAll(fd, bytes);
    int saved = errno;
    written = (::close(fd) == 0) && written;
    if (written && ::rename(partial.c_str(), PathFor(key).c_str()) != 0) {
        written = false;
        saved = errno;
    }
    if (!written) {
        problem = Describe(saved);
        ::unlink(partial.c_str());
    }
    return written;
}

void MusicCacheFolder::Trim(const std::vector<std::string>& keep, std::int64_t budget) {
    if (folder_.empty()) return;
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return;
    struct Entry {
        std::string path;
        std::int64_t size, modified;
    };
    std::vector<Entry> stale;
    std::int64_t total = 0;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        const bool isEntry = IsEntryName(name);
        if (!isEntry && !IsPartialName(name)) continue;
        const std::string path = folder_ + '/' + std::string(name);
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (!isEntry) {
            if (now - ModifiedNs(info) > std::chrono::nanoseconds(kStalePartial).count())
                ::unlink(path.c_str());
            continue;
        }
        total += info.st_size;
        const std::string key(name.substr(0, kKeyLength));
        if (std::find(keep.begin(), keep.end(), key) == keep.end())
            stale.push_back({path, info.st_size, ModifiedNs(info)});
    }
    ::closedir(dir);
    std::sort(stale.begin(), stale.end(),
              [](const Entry& a, const Entry& b) { return a.modified < b.modified; });
    for (const Entry& entry : stale) {
        if (total <= budget) break;
        if (::unlink(entry.path.c_str()) == 0) total -= entry.size;
    }
}

}  // namespace kwadrill
