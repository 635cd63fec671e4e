#include "Signal.h"

#include <algorithm>
#include <cmath>

namespace kwadrill {

std::size_t Signal::IndexAt(double seconds) const {
    const double index = std::max(0.0, std::round(seconds * rate));
    return std::min(samples.size(), static_cast<std::size_t>(index));
}

}  // namespace kwadrill
