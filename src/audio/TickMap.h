#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kwadrill {

// The MIDI tick the synthesizer's player is at after a number of rendered
// frames: the piece's tempo map as the player follows it. The player
// re-anchors its clock at every tempo change on whole milliseconds and whole
// ticks, so on a piece with many changes it drifts from the file's nominal
// tempo map (122 ticks by the end of GAME3): a rendered piece's position must
// follow the player, not the file.
//
// Kept as straight segments between breakpoints, each within a tick of every
// observation it covers: the player's ticks are rounded, so a tighter
// corridor would break the map at nearly every observation.
class TickMap {
public:
    struct Point {
        std::int64_t frame = 0;
        std::int64_t tick = 0;
        bool operator==(const Point&) const = default;
    };

    // Builds the map from observations in rising frame order, starting at (0, 0).
    class Builder {
    public:
        void Observe(std::int64_t frame, std::int64_t tick);
        TickMap Finish();

    private:
        std::vector<Point> points_{{0, 0}};
        std::optional<Point> last_;
        double low_ = 0, high_ = 0;
    };

    // The tick at this frame, rounded to the nearest; past the last
    // breakpoint the last segment goes on.
    std::int64_t TickAt(std::int64_t frame) const;
    const std::vector<Point>& Points() const { return points_; }

    // "frame:tick" pairs separated by commas.
    std::string ToText() const;
    // Nothing unless the text holds at least two points, the first at (0, 0),
    // with frames strictly and ticks weakly rising.
    static std::optional<TickMap> FromText(std::string_view text);

private:
    std::vector<Point> points_{{0, 0}};
};

}  // namespace kwadrill
