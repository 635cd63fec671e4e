// Writes the game's sound effects as 8-bit mono WAV files into the given directory.
#include <filesystem>
#include <iostream>
#include <string>

#include "Effects.h"
#include "WaveFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output directory>\n";
        return 2;
    }
    const std::filesystem::path directory(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    for (const kwadrill::Effect& effect : kwadrill::SynthesizeEffects()) {
        const auto path = directory / (std::string(effect.name) + ".wav");
        if (!kwadrill::WriteFile(path, kwadrill::EncodeWave8(effect.signal))) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
