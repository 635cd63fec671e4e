#include "TickMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kwadrill {
namespace {

// The player reports rounded ticks: a line through the true clock from a
// rounded start is within a tick of every observation.
constexpr double kTolerance = 1.0;

double Slope(const TickMap::Point& from, std::int64_t frame, double tick) {
    return (tick - static_cast<double>(from.tick)) / static_cast<double>(frame - from.frame);
}

}  // namespace

// A "swinging door": the segment from the last breakpoint may go on while
// its slope stays inside every observation's corridor seen since.
void TickMap::Builder::Observe(std::int64_t frame, std::int64_t tick) {
    const Point& from = points_.back();
    if (frame <= (last_ ? last_->frame : from.frame)) return;
    const double slope = Slope(from, frame, static_cast<double>(tick));
    if (last_ && (slope < low_ || slope > high_)) {
        points_.push_back(*last_);
        last_.reset();
    }
    const Point& start = points_.back();
    const double low = Slope(start, frame, tick - kTolerance);
    const double high = Slope(start, frame, tick + kTolerance);
    if (last_) {
        low_ = std::max(low_, low);
        high_ = std::min(high_, high);
    } else {
        low_ = low;
        high_ = high;
    }
    last_ = Point{frame, tick};
}

TickMap TickMap::Builder::Finish() {
    if (last_) points_.push_back(*last_);
    last_.reset();
    TickMap map;
    map.points_ = points_;
    return map;
}

std::int64_t TickMap::TickAt(std::int64_t frame) const {
    if (points_.size() < 2 || frame <= 0) return 0;
    auto after = std::upper_bound(points_.begin(), points_.end(), frame,
                                  [](std::int64_t f, const Point& p) { return f < p.frame; });
    if (after == points_.end()) --after;
    const Point& a = *(after - 1);
    const Point& b = *after;
    const double tick = static_cast<double>(a.tick) + static_cast<double>(frame - a.frame) *
                                                          static_cast<double>(b.tick - a.tick) /
                                                          static_cast<double>(b.frame - a.frame);
    return std::llround(tick);
}

std::string TickMap::ToText() const {
    std::string text;
    for (const Point& point : points_) {
        if (!text.empty()) text += ',';
        text += std::to_string(point.frame) + ':' + std::to_string(point.tick);
    }
    return text;
}

std::optional<TickMap> TickMap::FromText(std::string_view text) {
    TickMap map;
    map.points_.clear();
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        Point point;
        auto [afterFrame, frameError] = std::from_chars(at, end, point.frame);
        if (frameError != std::errc() || afterFrame == end || *afterFrame != ':') return {};
        auto [afterTick, tickError] = std::from_chars(afterFrame + 1, end, point.tick);
        if (tickError != std::errc()) return {};
        if (map.points_.empty()
                ? point != Point{}
                : (point.frame <= map.points_.back().frame || point.tick < map.points_.back().tick))
            return {};
        map.points_.push_back(point);
        at = afterTick;
        if (at < end && (*at++ != ',' || at == end)) return {};
    }
    if (map.points_.size() < 2) return {};
    return map;
}

}  // namespace kwadrill
