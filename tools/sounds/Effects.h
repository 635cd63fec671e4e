#pragma once

#include <string_view>
#include <vector>

#include "Signal.h"

namespace kwadrill {

struct Effect {
    std::string_view name;
    Signal signal;
};

// The two dissolve and six drop variants, mastered and ready to encode.
std::vector<Effect> SynthesizeEffects();

}  // namespace kwadrill
