#include "StoneGround.h"

#include <algorithm>
#include <cmath>

#include "FixedRandom.h"

namespace kwadrill::art {

namespace {

constexpr std::uint64_t kStoneSeed = 0x51a7e5a7e51ULL;

double Smooth(double t) {
    return t * t * (3 - 2 * t);
}

// Value noise in [0, 1): smoothly interpolated lattice values.
double ValueNoise(double x, double y, std::uint64_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double tx = Smooth(x - fx);
    const double ty = Smooth(y - fy);
    const double top = LatticeValue(ix, iy, seed) * (1 - tx) + LatticeValue(ix + 1, iy, seed) * tx;
    const double bottom =
        LatticeValue(ix, iy + 1, seed) * (1 - tx) + LatticeValue(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

// Several octaves of value noise, centred on 0, roughly in [-0.5, 0.5].
double Fractal(double x, double y, int octaves, std::uint64_t seed) {
    double sum = 0;
    double amplitude = 0.5;
    double norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * (ValueNoise(x, y, seed + std::uint64_t(o)) - 0.5);
        norm += amplitude;
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum / norm;
}

// Grey level of the stone at a point in picture units.
double StoneLevel(double x, double y) {
    const double broad = Fractal(x / 110.0, y / 110.0, 3, kStoneSeed);
    const double grain = Fractal(x / 9.0, y / 9.0, 3, kStoneSeed + 17);
    const double fine = ValueNoise(x / 1.3, y / 1.3, kStoneSeed + 31) - 0.5;
    // Thin darker veins where a warped noise field crosses its middle value.
    const double warp = Fractal(x / 40.0, y / 40.0, 2, kStoneSeed + 43) * 3.0;
    const double veinField = Fractal(x / 70.0 + warp, y / 70.0 - warp, 4, kStoneSeed + 59);
    const double vein = std::max(0.0, 1.0 - std::abs(veinField) / 0.012);
    const double speck = ValueNoise(x / 2.1, y / 2.1, kStoneSeed + 71);
    double level = 108 + 44 * broad + 26 * grain + 16 * fine - 26 * vein;
    if (speck > 0.9) level -= (speck - 0.9) * 380;
    if (speck < 0.06) level += (0.06 - speck) * 420;
    return level;
}

}  // namespace

QImage StoneGround(QSize units, int scale) {
    QImage image(units * scale, QImage::Format_RGB32);
    for (int py = 0; py < image.height(); ++py) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        for (int px = 0; px < image.width(); ++px) {
            const double level = StoneLevel((px + 0.5) / scale, (py + 0.5) / scale);
            // A faint warm cast, as of sandstone-grey granite.
            auto channel = [level](double shift) { return std::clamp(int(level + shift), 0, 255); };
            line[px] = qRgb(channel(4), channel(1), channel(-5));
        }
    }
    return image;
}

}  // namespace kwadrill::art
