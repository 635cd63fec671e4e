#include "ModuleFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

// The ELF header of the object this code is linked into, from the linker.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace kwadrill {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Owned by this user or root, and no one else may write: a group may when
// it is this process's own group or root's (a private group's umask 002).
QString OwnershipProblem(const struct stat& st, const char* what) {
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
        return QStringLiteral("the %1 belongs to another user (uid %2)")
            .arg(QLatin1String(what))
            .arg(st.st_uid);
    }
    if ((st.st_mode & S_IWOTH) != 0 ||
        ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid() && st.st_gid != 0)) {
        return QStringLiteral("the %1 can be changed by other users").arg(QLatin1String(what));
    }
    return {};
}

bool ReadAt(int fd, void* into, std::size_t size, ElfW(Off) offset) {
    if (offset > static_cast<ElfW(Off)>(std::numeric_limits<off_t>::max())) return false;
    return ::pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// The end of a table of count entries of entrySize bytes at offset, or 0
// when it does not fit in 64 bits.
std::uint64_t TableEnd(std::uint64_t offset, std::uint64_t count, std::uint64_t entrySize) {
    std::uint64_t bytes = 0;
    std::uint64_t end = 0;
    if (__builtin_mul_overflow(count, entrySize, &bytes) ||
        __builtin_add_overflow(offset, bytes, &end)) {
        return 0;
    }
    return end;
}

QString ElfProblem(int fd, std::uint64_t fileSize) {
    ElfW(Ehdr) header{};
    if (!ReadAt(fd, &header, sizeof header, 0) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return QStringLiteral("not a shared library");
    }
    const ElfW(Ehdr)& own = __ehdr_start;
    if (header.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] ||
        header.e_ident[EI_DATA] != own.e_ident[EI_DATA] || header.e_machine != own.e_machine) {
        return QStringLiteral("built for another kind of machine");
    }
    if (header.e_type != ET_DYN || header.e_phentsize != sizeof(ElfW(Phdr))) {
        return QStringLiteral("not a shared library");
    }
    // Every part the loader maps or reads must be in the file.
    const std::uint64_t headersEnd = TableEnd(header.e_phoff, header.e_phnum, header.e_phentsize);
    const std::uint64_t sectionsEnd = TableEnd(header.e_shoff, header.e_shnum, header.e_shentsize);
    std::uint64_t needed = std::max(headersEnd, sectionsEnd);
    bool damaged = headersEnd == 0 || (header.e_shnum != 0 && sectionsEnd == 0);
    for (ElfW(Half) i = 0; !damaged && i < header.e_phnum && headersEnd <= fileSize; ++i) {
        ElfW(Phdr) segment{};
        if (!ReadAt(fd, &segment, sizeof segment, header.e_phoff + i * sizeof segment)) {
            damaged = true;
            break;
        }
        const std::uint64_t end = TableEnd(segment.p_offset, 1, segment.p_filesz);
        damaged = end == 0 && segment.p_filesz != 0;
        needed = std::max(needed, end);
    }
    if (damaged || needed > fileSize) {
        return QStringLiteral("cut short or damaged (%1 bytes where its headers need %2)")
            .arg(fileSize)
            .arg(needed);
    }
    return {};
}

}  // namespace

QString ModuleFileProblem(const QString& path) {
    // Links are followed to the real file, whose folder must be safe too.
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty()) return ErrnoText(ENOENT);
    struct stat folder {};
    if (::stat(QFile::encodeName(QFileInfo(real).path()).constData(), &folder) != 0) {
        return ErrnoText(errno);
    }
    if (QString problem = OwnershipProblem(folder, "folder"); !problem.isEmpty()) return problem;

    // Non-blocking: a FIFO at the name must not hold the window.
    const FileDescriptor fd(::open(QFile::encodeName(real).constData(),
                                   O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0) return ErrnoText(errno);
    struct stat file {};
    if (::fstat(fd.get(), &file) != 0) return ErrnoText(errno);
    if (!S_ISREG(file.st_mode)) return QStringLiteral("not a regular file");
    if (QString problem = OwnershipProblem(file, "file"); !problem.isEmpty()) return problem;
    return ElfProblem(fd.get(), static_cast<std::uint64_t>(file.st_size));
}

}  // namespace kwadrill
