#include "RecordBytes.h"

#include <QtEndian>

#include <cstring>

namespace {
constexpr int kNameOffset = 1;
constexpr int kScoreOffset = 20;
constexpr int kDateOffset = 24;

int EntryOffset(int rank) {
    return (rank - 1) * RecordBytes::kEntrySize;
}
}  // namespace

RecordBytes::RecordBytes() : bytes_(kRecordSize, '\0') {}

RecordBytes RecordBytes::FromBytes(const QByteArray& bytes) {
    RecordBytes record;
    record.bytes_.replace(0, std::min<qsizetype>(bytes.size(), kRecordSize),
                          bytes.left(kRecordSize));
    return record;
}

void RecordBytes::SetEntry(int rank, const QByteArray& name, qint32 score, double date) {
    char* entry = bytes_.data() + EntryOffset(rank);
    entry[0] = static_cast<char>(name.size());
    std::memcpy(entry + kNameOffset, name.constData(), static_cast<size_t>(name.size()));
    qToLittleEndian(score, entry + kScoreOffset);
    qToLittleEndian(date, entry + kDateOffset);
}

qint32 RecordBytes::Score(int rank) const {
    return qFromLittleEndian<qint32>(bytes_.constData() + EntryOffset(rank) + kScoreOffset);
}

QByteArray RecordBytes::Name(int rank) const {
    const int offset = EntryOffset(rank);
    return bytes_.mid(offset + kNameOffset, Byte(offset));
}

double RecordBytes::Date(int rank) const {
    return qFromLittleEndian<double>(bytes_.constData() + EntryOffset(rank) + kDateOffset);
}

void RecordBytes::SetTable(const QByteArray& table) {
    bytes_.replace(0, kTableSize, table);
}

void RecordBytes::SetSwitches(quint8 musicOn, quint8 soundOn) {
    bytes_[kMusicOn] = static_cast<char>(musicOn);
    bytes_[kSoundOn] = static_cast<char>(soundOn);
}

void RecordBytes::SetLastName(const QByteArray& name) {
    bytes_[kLastNameLength] = static_cast<char>(name.size());
    bytes_.replace(kLastName, static_cast<qsizetype>(name.size()), name);
}

QByteArray RecordBytes::LastName() const {
    return bytes_.mid(kLastName, Byte(kLastNameLength));
}

void RecordBytes::SetPadding(const QByteArray& fiveBytes) {
    bytes_.replace(kPadding, kPaddingSize, fiveBytes.left(kPaddingSize));
}

QByteArray RecordBytes::BackupFile() const {
    return bytes_ + QByteArray(1, static_cast<char>(CheckByte(bytes_)));
}

quint8 CheckByte(const QByteArray& bytes) {
    quint8 check = RecordBytes::kCheckSeed;
    for (char byte : bytes) {
        check ^= static_cast<quint8>(byte);
    }
    return check;
}

bool HasValidCheckByte(const QByteArray& file) {
    return !file.isEmpty() && static_cast<quint8>(file.back()) == CheckByte(file.chopped(1));
}

QByteArray IniByteArray(const QByteArray& bytes) {
    QByteArray text("@ByteArray(");
    for (char byte : bytes) {
        text += "\\x" + QByteArray::number(static_cast<quint8>(byte), 16).rightJustified(2, '0');
    }
    return text + ')';
}
