#include "SettingsStore.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <cstring>

#include "HighScores.h"
#include "IniFile.h"
#include "PlayerSettingsValues.h"
#include "StoreError.h"

namespace kwadrill {

namespace {

constexpr QStringView kLanguageValue = u"lng";
constexpr QStringView kScoreTableValue = u"hsc";
constexpr QStringView kPlayerSettingsGroup = u"player";
constexpr std::int32_t kDefaultLanguage = 0;

// Where QSettings keeps the user-scope INI file of organisation "QZ's Kwadrill",
// application "Kwadrill". Found without a QSettings, which would read the file
// (and system-wide fallbacks) on construction; values are always read from
// this file alone.
QString UserStorePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/QZ's Kwadrill/Kwadrill.ini");
}

bool HoldsNoData(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            return true;
        case QMetaType::QByteArray:
            return value.toByteArray().isEmpty();
        case QMetaType::QStringList:
            return value.toStringList().isEmpty();
        default:
            return false;
    }
}

bool IsTextOrNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

void WriteValue(const QString& filePath, QStringView name, const QVariant& value) {
    WriteFailure failure;
    if (!WriteIniValue(filePath, name, value, &failure))
        throw StoreError::FailedToSetData(name.toString(), failure);
}

std::int32_t LanguageFrom(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) {
        if (HoldsNoData(value)) return kDefaultLanguage;
        throw StoreError::InvalidDataType(kLanguageValue.toString());
    }
    bool ok = false;
    const std::int32_t language = value.toString().toInt(&ok, 10);
    return ok ? language : kDefaultLanguage;
}

bool ScoreTableFrom(const QVariant& value, ScoreTable& table) {
    if (IsTextOrNumber(value)) throw StoreError::InvalidDataType(kScoreTableValue.toString());
    if (value.typeId() != QMetaType::QByteArray) return false;
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() > qsizetype(sizeof(ScoreTable)))
        throw StoreError::InvalidDataType(kScoreTableValue.toString());
    if (bytes.size() != qsizetype(sizeof(ScoreTable))) return false;
    std::memcpy(&table, bytes.constData(), sizeof(ScoreTable));
    return true;
}

}  // namespace

std::int32_t StoredSettings::Language() const {
    return LanguageFrom(values_.value(kLanguageValue.toString()));
}

std::optional<ScoreTable> StoredSettings::Table() const {
    ScoreTable table;
    if (!ScoreTableFrom(values_.value(kScoreTableValue.toString()), table)) return std::nullopt;
    return table;
}

PlayerSettings StoredSettings::Player() const {
    return PlayerSettingsFromValues(values_);
}

SettingsStore::SettingsStore() : filePath_(UserStorePath()) {}

SettingsStore::SettingsStore(const QString& filePath) : filePath_(filePath) {}

std::int32_t SettingsStore::ReadLanguage() const {
    return LoadRegistrySettings().Language();
}

bool SettingsStore::ReadScoreTable(ScoreTable& table) const {
    const std::optional<ScoreTable> stored = LoadRegistrySettings().Table();
    if (stored) table = *stored;
    return stored.has_value();
}

void SettingsStore::WriteLanguage(std::int32_t language) {
    WriteValue(filePath_, kLanguageValue, QString::number(language));
}

void SettingsStore::WriteScoreTable(const ScoreTable& table) {
    const QByteArray bytes(reinterpret_cast<const char*>(&table), sizeof(ScoreTable));
    WriteValue(filePath_, kScoreTableValue, bytes);
}

StoredSettings SettingsStore::LoadRegistrySettings() const {
    return StoredSettings(ReadIniValues(filePath_));
}

void SettingsStore::SaveRegistrySettings(const PersistentState& state) {
    WriteLanguage(state.language);
    WriteScoreTable(state.record.scoreTable);
}

void SettingsStore::SavePlayerSettings(const PlayerSettings& settings) {
    const QVariantMap values = PlayerSettingsToValues(settings);
    if (IniFileHolds(filePath_, values)) return;
    WriteFailure failure;
    if (!WriteIniValues(filePath_, values, &failure))
        throw StoreError::FailedToSetData(kPlayerSettingsGroup.toString(), failure);
}

void SettingsStore::RemoveStaleTemporaries() {
    RemoveStaleStagedFiles(filePath_);
}

}  // namespace kwadrill
