#pragma once

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <optional>

#include "PersistentState.h"
#include "PlayerSettings.h"
#include "ScoreTable.h"

namespace kwadrill {

// The values the store held, read from the file in one go. Each is checked
// as it is taken, so a table of the wrong type still lets the language through.
class StoredSettings {
public:
    explicit StoredSettings(QVariantMap values) : values_(std::move(values)) {}

    // "lng": 0 when missing, empty or not a valid integer; StoreError when not text.
    std::int32_t Language() const;
    // "hsc": the table when exactly 640 bytes are stored, nothing when missing
    // or shorter; StoreError when text, a number or longer.
    std::optional<ScoreTable> Table() const;
    // The player's settings (see PlayerSettingsValues.h); never throws.
    PlayerSettings Player() const;

private:
    QVariantMap values_;
};

// The per-user store of the language and the score table: an INI file,
// $XDG_CONFIG_HOME/QZ's Kwadrill/Kwadrill.ini. Values: "lng", a string holding
// the decimal language number, and "hsc", the 640 bytes of the score table;
// beside them the player's settings, in a group of their own.
// Constructing it touches nothing on disk, so a second running copy can skip
// the store simply by never creating one. Read and write errors throw StoreError.
// Anything at the path but a regular file reads as no store: a link is never
// followed and a FIFO never opened. A file that cannot be parsed reads as no
// store too, and the next write replaces it, keeping it beside the new one as
// "Kwadrill.ini.damaged".
class SettingsStore {
public:
    // The player's own store.
    SettingsStore();
    // A store in an explicit file (tests, other profiles).
    explicit SettingsStore(const QString& filePath);

    const QString& FilePath() const { return filePath_; }

    // "lng": 0 when missing, empty or not a valid integer.
    std::int32_t ReadLanguage() const;
    // "hsc": true and the table filled when exactly 640 bytes are stored;
    // false (table unchanged) when missing or shorter.
    bool ReadScoreTable(ScoreTable& table) const;
    void WriteLanguage(std::int32_t language);
    void WriteScoreTable(const ScoreTable& table);

    // Start-up: both values from one read of the file, so a store that cannot
    // be used is reported once.
    StoredSettings LoadRegistrySettings() const;
    // Shut-down: "lng", then "hsc".
    void SaveRegistrySettings(const PersistentState& state);
    // The player's settings, in one replacement of the file; a store that
    // holds them already is left alone.
    void SavePlayerSettings(const PlayerSettings& settings);

    // Removes the staged files of a save that was cut short (Kwadrill.ini.XXXXXX
    // beside the store). Only safe while no other copy of the game can be saving:
    // call it once the single-instance lock is held.
    void RemoveStaleTemporaries();

private:
    QString filePath_;
};

}  // namespace kwadrill
