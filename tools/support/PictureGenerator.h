#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <functional>

namespace kwadrill::art {

// Runs a picture generator on Qt's offscreen platform: makes the output
// folder (the first argument, else the default) and hands it to `generate`.
// Returns the exit code: 0 when `generate` succeeded.
int RunPictureGenerator(int argc, char** argv, const QString& defaultFolder,
                        const std::function<bool(const QDir&)>& generate);

// Writes the whole file or leaves the old one; tells why on stderr when not.
bool SaveFile(const QString& path, const QByteArray& bytes);

}  // namespace kwadrill::art
