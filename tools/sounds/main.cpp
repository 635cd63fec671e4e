// Writes the game's sound effects as 8-bit mono WAV files into the given directory.
#include <iostream>
#include <string>

#include "Effects.h"
#include "GeneratorOutput.h"
#include "WaveFile.h"

int main(int argc, char** argv) {
    const auto directory = kwadrill::OutputDirectory(argc, argv);
    if (!directory) return 2;
    for (const kwadrill::Effect& effect : kwadrill::SynthesizeEffects()) {
        const auto path = *directory / (std::string(effect.name) + ".wav");
        if (!kwadrill::WriteFile(path, kwadrill::EncodeWave8(effect.signal))) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
