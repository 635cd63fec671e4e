#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace kwadrill {

// The output directory named by the one argument, created if missing; none
// (after printing the usage) when the arguments are not just that.
std::optional<std::filesystem::path> OutputDirectory(int argc, char** argv);

// Writes the whole file; false when any of it could not be written.
bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace kwadrill
