// Writes the game's thirteen music pieces as standard MIDI files into the given directory.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "Arranger.h"
#include "Pieces.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output directory>\n";
        return 2;
    }
    const std::filesystem::path directory(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    for (const kwadrill::Piece& piece : kwadrill::AllPieces()) {
        kwadrill::Arranger arranger(piece);
        try {
            const auto bytes = arranger.Compose();
            const auto path = directory / (std::string(piece.name) + ".mid");
            if (!WriteFile(path, bytes)) {
                std::cerr << "cannot write " << path << "\n";
                return 1;
            }
            std::cout << piece.name << ": " << bytes.size() << " bytes, " << arranger.Seconds()
                      << " s\n";
        } catch (const std::exception& failure) {
            std::cerr << piece.name << ": " << failure.what() << "\n";
            return 1;
        }
    }
    return 0;
}
