#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace kwadrill {

// The thirteen pieces, written out of the resources as files the music
// device can open: position i of MusicResourceNames goes to
// <scratch>qzkm<i>.mid.
class MusicFiles {
public:
    static constexpr int kCount = 13;
    static const std::array<QString, kCount>& MusicResourceNames();
    // Position 1..13 of an exactly matching name, or 0.
    static int PositionOf(const QString& name);
    // The bytes of every piece, in table order (the menu piece first); a
    // piece missing from the resources is left out.
    static std::vector<QByteArray> ResourcePieces();

    // scratchDirectory ends in "/".
    explicit MusicFiles(QString scratchDirectory);

    QString PathFor(int position) const;
    // Writes every ":/midi/<name>" to its file; a failure is that file's
    // alone and leaves no file at its place. False when any file failed, and then
    // one line on stderr says how many, where and why.
    bool Extract() const;
    // Deletes every file; a missing one is no error.
    void Delete() const;
    // Removes what an extraction cut short left in the folder: a piece's
    // name, a dot and six letters or digits. Only regular files of this user
    // go, never a link, folder or FIFO. Another copy of the game may be
    // writing its own: call it only while the single-instance lock is held.
    void RemoveStaleTemporaries() const;

private:
    bool ExtractOne(int position, QString& problem) const;
    bool WriteWhole(int position, const QString& path, QString& problem) const;

    QString scratchDirectory_;
};

}  // namespace kwadrill
