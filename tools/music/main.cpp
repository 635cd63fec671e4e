// Writes the game's thirteen music pieces as standard MIDI files into the given directory.
#include <iostream>
#include <stdexcept>
#include <string>

#include "Arranger.h"
#include "GeneratorOutput.h"
#include "Pieces.h"

int main(int argc, char** argv) {
    const auto directory = kwadrill::OutputDirectory(argc, argv);
    if (!directory) return 2;
    for (const kwadrill::Piece& piece : kwadrill::AllPieces()) {
        kwadrill::Arranger arranger(piece);
        try {
            const auto bytes = arranger.Compose();
            const auto path = *directory / (std::string(piece.name) + ".mid");
            if (!kwadrill::WriteFile(path, bytes)) {
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
