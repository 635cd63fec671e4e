#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kwadrill::test {

inline std::filesystem::path ResourcePath(const std::string& kind, const std::string& file) {
    return std::filesystem::path(KWADRILL_SOURCE_DIR) / "resources" / kind / file;
}

// The whole file, or nothing when it cannot be read.
inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kwadrill::test
