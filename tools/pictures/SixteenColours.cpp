#include "SixteenColours.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace kwadrill::art {

namespace {

using Colour = std::array<double, 3>;

// Weights of red, green and blue in the colour distance, roughly by how
// strongly the eye tells them apart.
constexpr std::array<double, 3> kChannelWeight{2.0, 4.0, 3.0};
constexpr int kRefineRounds = 8;

Colour ToColour(QRgb rgb) {
    return {double(qRed(rgb)), double(qGreen(rgb)), double(qBlue(rgb))};
}

QRgb ToRgb(const Colour& c) {
    auto channel = [](double v) { return std::clamp(int(v + 0.5), 0, 255); };
    return qRgb(channel(c[0]), channel(c[1]), channel(c[2]));
}

double Distance(const Colour& a, const Colour& b) {
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        sum += kChannelWeight[i] * (a[i] - b[i]) * (a[i] - b[i]);
    }
    return sum;
}

int Nearest(const std::vector<Colour>& palette, const Colour& c) {
    int best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    for (int i = 0; i < int(palette.size()); ++i) {
        const double d = Distance(palette[i], c);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

Colour Mean(const std::vector<Colour>& box) {
    Colour sum{0, 0, 0};
    for (const Colour& c : box) {
        for (int i = 0; i < 3; ++i) sum[i] += c[i];
    }
    for (double& v : sum) v /= double(box.size());
    return sum;
}

double SquaredError(const std::vector<Colour>& box) {
    const Colour mean = Mean(box);
    double sum = 0;
    for (const Colour& c : box) sum += Distance(c, mean);
    return sum;
}

// Splits the box of largest error at the median of its widest channel.
bool SplitWorstBox(std::vector<std::vector<Colour>>& boxes) {
    int worst = -1;
    double worstError = 0;
    for (int i = 0; i < int(boxes.size()); ++i) {
        const double error = SquaredError(boxes[i]);
        if (boxes[i].size() > 1 && error > worstError) {
            worstError = error;
            worst = i;
        }
    }
    if (worst < 0) return false;
    std::vector<Colour>& box = boxes[worst];
    int channel = 0;
    double widest = -1;
    for (int i = 0; i < 3; ++i) {
        auto [lo, hi] = std::minmax_element(
            box.begin(), box.end(), [i](const Colour& a, const Colour& b) { return a[i] < b[i]; });
        const double range = ((*hi)[i] - (*lo)[i]) * kChannelWeight[i];
        if (range > widest) {
            widest = range;
            channel = i;
        }
    }
    std::stable_sort(box.begin(), box.end(), [channel](const Colour& a, const Colour& b) {
        return a[channel] < b[channel];
    });
    const auto middle = box.begin() + std::ptrdiff_t(box.size() / 2);
    std::vector<Colour> upper(middle, box.end());
    box.erase(middle, box.end());
    boxes.push_back(std::move(upper));
    return true;
}

// Moves each free entry to the mean of the pixels nearest to it.
void Refine(std::vector<Colour>& palette, int pinnedCount, const std::vector<Colour>& pixels) {
    for (int round = 0; round < kRefineRounds; ++round) {
        std::vector<Colour> sums(palette.size(), Colour{0, 0, 0});
        std::vector<int> counts(palette.size(), 0);
        for (const Colour& c : pixels) {
            const int n = Nearest(palette, c);
            for (int i = 0; i < 3; ++i) sums[n][i] += c[i];
            ++counts[n];
        }
        for (int n = pinnedCount; n < int(palette.size()); ++n) {
            if (counts[n] == 0) continue;
            for (int i = 0; i < 3; ++i) palette[n][i] = sums[n][i] / counts[n];
        }
    }
}

std::vector<Colour> FreeColours(const std::vector<Colour>& pixels, int slots) {
    std::vector<QRgb> distinct;
    for (const Colour& c : pixels) distinct.push_back(ToRgb(c));
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<Colour> result;
    if (int(distinct.size()) <= slots) {
        for (QRgb rgb : distinct) result.push_back(ToColour(rgb));
        return result;
    }
    std::vector<std::vector<Colour>> boxes{pixels};
    while (int(boxes.size()) < slots && SplitWorstBox(boxes)) {
    }
    for (const auto& box : boxes) result.push_back(Mean(box));
    return result;
}

}  // namespace

QImage ToSixteenColours(const QImage& image, const QList<QRgb>& pinned) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<Colour> palette;
    for (QRgb p : pinned) palette.push_back(ToColour(p));
    const int pinnedCount = int(palette.size());

    std::vector<Colour> freePixels;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y) | 0xff000000u;
            if (!pinned.contains(p)) freePixels.push_back(ToColour(p));
        }
    }
    if (!freePixels.empty()) {
        const std::vector<Colour> found = FreeColours(freePixels, kBitmapColours - pinnedCount);
        palette.insert(palette.end(), found.begin(), found.end());
        Refine(palette, pinnedCount, freePixels);
    }

    QList<QRgb> table;
    for (const Colour& c : palette) table.push_back(ToRgb(c));
    while (table.size() < kBitmapColours)
        table.push_back(table.isEmpty() ? qRgb(0, 0, 0) : table.back());

    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    std::vector<Colour> lookup;
    for (QRgb c : table) lookup.push_back(ToColour(c));
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* line = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            line[x] = uchar(Nearest(lookup, ToColour(rgb.pixel(x, y))));
        }
    }
    return indexed;
}

}  // namespace kwadrill::art
