#pragma once

#include <QByteArray>
#include <QtGlobal>

// The persistent record as the files hold it, written and read byte by byte
// so that the tests check the layout on their own: 20 score entries of 32
// bytes (name length, 16 name bytes, 3 padding, score int32, date double),
// then music on, sound on, the last name's length and 16 bytes, 5 padding.
class RecordBytes {
public:
    static constexpr int kEntries = 20;
    static constexpr int kEntrySize = 32;
    static constexpr int kTableSize = kEntries * kEntrySize;  // 640
    static constexpr int kRecordSize = 664;
    static constexpr int kFileSize = kRecordSize + 1;
    static constexpr int kMusicOn = 640;
    static constexpr int kSoundOn = 641;
    static constexpr int kLastNameLength = 642;
    static constexpr int kLastName = 643;
    static constexpr int kPadding = 659;
    static constexpr int kPaddingSize = 5;
    static constexpr int kMaxName = 16;
    static constexpr quint8 kCheckSeed = 80;

    RecordBytes();  // all zero: an empty table, music and sound off
    // The first 664 bytes of a backup file, or a 640-byte table.
    static RecordBytes FromBytes(const QByteArray& bytes);

    void SetEntry(int rank, const QByteArray& name, qint32 score, double date);
    qint32 Score(int rank) const;
    QByteArray Name(int rank) const;
    double Date(int rank) const;
    QByteArray Table() const { return bytes_.left(kTableSize); }
    void SetTable(const QByteArray& table);

    void SetSwitches(quint8 musicOn, quint8 soundOn);
    quint8 MusicOn() const { return Byte(kMusicOn); }
    quint8 SoundOn() const { return Byte(kSoundOn); }
    void SetLastName(const QByteArray& name);
    QByteArray LastName() const;
    void SetPadding(const QByteArray& fiveBytes);

    const QByteArray& Bytes() const { return bytes_; }
    // The backup file: the record followed by its check byte.
    QByteArray BackupFile() const;

private:
    quint8 Byte(int offset) const { return static_cast<quint8>(bytes_[offset]); }

    QByteArray bytes_;
};

// 80 XOR every byte given.
quint8 CheckByte(const QByteArray& bytes);
// True when the last byte is the check byte of all bytes before it.
bool HasValidCheckByte(const QByteArray& file);
// The INI text of a byte array value as Qt writes it: @ByteArray(...), every
// byte escaped.
QByteArray IniByteArray(const QByteArray& bytes);
