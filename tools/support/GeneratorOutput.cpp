#include "GeneratorOutput.h"

#include <fstream>
#include <iostream>

namespace kwadrill {

std::optional<std::filesystem::path> OutputDirectory(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output directory>\n";
        return std::nullopt;
    }
    const std::filesystem::path directory(argv[1]);
    std::error_code error;  // a directory that cannot be made shows when its files are written
    std::filesystem::create_directories(directory, error);
    return directory;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace kwadrill
