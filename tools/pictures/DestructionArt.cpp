#include "DestructionArt.h"

#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <numeric>

#include "BlockArt.h"
#include "FixedRandom.h"
#include "SixteenColours.h"

namespace kwadrill::art {

namespace {

// Whether the point (in cell units) is black in the given frame's own shape.
using FrameShape = std::function<bool(double x, double y, int frame)>;

constexpr double kCentre = kCellSize / 2.0;
constexpr int kLastFrame = kDestructionFrames - 1;

double Progress(int frame) {
    return double(frame) / kLastFrame;
}

// A six-bladed aperture that turns as it closes; a small hexagon of the
// block stays in view at the end.
bool IrisShape(double x, double y, int frame) {
    const double radius = 14.0 - 9.5 * Progress(frame);
    const double turn = qDegreesToRadians(6.0 * frame);
    const double angle = std::atan2(y - kCentre, x - kCentre) - turn;
    const double sector = std::numbers::pi / 3.0;
    const double within = std::fmod(std::fmod(angle, sector) + sector, sector) - sector / 2;
    const double apothem = radius * std::cos(sector / 2);
    const double reach = apothem / std::cos(within);
    return std::hypot(x - kCentre, y - kCentre) > reach;
}

// Two families of diagonal bars that widen, the outer parts of the cell
// first, so the shutters close towards the middle; small diamonds of the
// block stay in view there at the end. Each pixel goes black at its own
// time, which mixes its distance from the nearest bar with its distance
// from the middle: on a pixel grid the bar distances alone come in a few
// steps only, and some frames would add nothing.
bool HatchShape(double x, double y, int frame) {
    constexpr double kPitch = 7.0;
    auto fromLine = [](double t) { return std::abs(t - kPitch * std::round(t / kPitch)); };
    const double bar = std::min(fromLine(x + y - 0.5), fromLine(x - y)) / (kPitch / 2);
    const double middle = std::hypot(x - kCentre, y - kCentre) / (kCentre * std::numbers::sqrt2);
    const double time = 0.7 * bar + 0.3 * (1.0 - middle);
    return time < 0.08 + 0.58 * Progress(frame);
}

constexpr int kDissolveGrid = 7;  // 7 x 7 squares of 3 x 3 cell units
constexpr std::uint64_t kDissolveSeed = 0x4b77616472696c6cULL;

std::array<int, kDissolveGrid * kDissolveGrid> DissolveRanks() {
    std::array<int, kDissolveGrid * kDissolveGrid> order{};
    std::iota(order.begin(), order.end(), 0);
    FixedRandom random(kDissolveSeed);
    for (int i = int(order.size()) - 1; i > 0; --i) {
        std::swap(order[std::size_t(i)], order[std::size_t(random.Next(i + 1))]);
    }
    std::array<int, kDissolveGrid * kDissolveGrid> rank{};
    for (int i = 0; i < int(order.size()); ++i) rank[std::size_t(order[std::size_t(i)])] = i;
    return rank;
}

// Squares go black in a fixed random order until none is left.
bool DissolveShape(double x, double y, int frame) {
    static const auto ranks = DissolveRanks();
    const int squareSize = kCellSize / kDissolveGrid;
    const int column = std::min(int(x) / squareSize, kDissolveGrid - 1);
    const int row = std::min(int(y) / squareSize, kDissolveGrid - 1);
    const int total = kDissolveGrid * kDissolveGrid;
    const int blackCount = (total * (frame + 1) + kLastFrame) / kDestructionFrames;
    return ranks[std::size_t(row * kDissolveGrid + column)] < blackCount;
}

FrameShape ShapeOfSet(int set) {
    switch (set) {
        case 1:
            return IrisShape;
        case 2:
            return HatchShape;
        default:
            return DissolveShape;
    }
}

}  // namespace

QImage DestructionFrame(int set, int frame, int scale) {
    const FrameShape shape = ShapeOfSet(set);
    const int side = kCellSize * scale;
    QImage image(side, side, QImage::Format_Indexed8);
    QList<QRgb> table{qRgb(255, 255, 255), qRgb(0, 0, 0)};
    while (table.size() < kBitmapColours) table.push_back(table.back());
    image.setColorTable(table);
    for (int py = 0; py < side; ++py) {
        uchar* line = image.scanLine(py);
        for (int px = 0; px < side; ++px) {
            const double x = (px + 0.5) / scale;
            const double y = (py + 0.5) / scale;
            bool black = false;
            // Cumulative by construction: a pixel black in any earlier frame stays black.
            for (int k = 0; k <= frame && !black; ++k) black = shape(x, y, k);
            line[px] = black ? 1 : 0;
        }
    }
    return image;
}

}  // namespace kwadrill::art
