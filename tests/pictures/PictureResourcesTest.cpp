// The pictures as the game finds them among its compiled-in resources.

#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QXmlStreamReader>

#include <algorithm>

#include "PictureChecks.h"

namespace {

constexpr int kScales[] = {1, 2};
constexpr int kCell = 21;
constexpr int kBlockTypes = 7;
constexpr int kSets = 3;
constexpr int kFrames = 11;
constexpr const char* kGlyphs[] = {"START", "PAUSE",     "SCORES", "MUSIC", "MUSIC_OFF",
                                   "SOUND", "SOUND_OFF", "RULES",  "ABOUT"};

struct Expected {
    QString kind;
    QString name;
    QSize size;  // at scale 1
};

std::vector<Expected> AllPictures() {
    std::vector<Expected> all;
    for (int n = 1; n <= 8; ++n)
        all.push_back({"bitmaps", QString("BITMAP_%1").arg(n), {kCell, kCell}});
    for (int s = 1; s <= kSets; ++s) {
        for (int k = 0; k < kFrames; ++k) {
            all.push_back({"bitmaps", QString("%1DESTR%2").arg(s).arg(k), {kCell, kCell}});
        }
    }
    for (int d = 0; d <= 9; ++d) all.push_back({"bitmaps", QString("DG%1").arg(d), {16, 21}});
    for (const char* g : kGlyphs) {
        all.push_back({"glyphs", QString("GLYPH_") + g, {17, 17}});
    }
    return all;
}

QImage Block(int type, int scale) {
    return LoadResource("bitmaps", QString("BITMAP_%1").arg(type + 1), scale);
}
QImage Frame(int set, int frame, int scale) {
    return LoadResource("bitmaps", QString("%1DESTR%2").arg(set).arg(frame), scale);
}
QImage Digit(int digit, int scale) {
    return LoadResource("bitmaps", QString("DG%1").arg(digit), scale);
}

int BmpBitCount(const QByteArray& bmp) {
    return bmp.size() < 30 ? -1 : (uchar(bmp[28]) | (uchar(bmp[29]) << 8));
}

}  // namespace

TEST(PictureResources, EveryPictureIsASixteenColourBitmapOfItsSize) {
    for (const Expected& e : AllPictures()) {
        for (int scale : kScales) {
            SCOPED_TRACE(qPrintable(ResourcePath(e.kind, e.name, scale)));
            const QByteArray bytes = ResourceBytes(e.kind, e.name, scale);
            ASSERT_TRUE(bytes.startsWith("BM"));
            EXPECT_EQ(BmpBitCount(bytes), 4);
            const QImage image = QImage::fromData(bytes, "BMP");
            EXPECT_EQ(image.size(), e.size * scale);
            EXPECT_EQ(image.format(), QImage::Format_Indexed8);
            EXPECT_LE(image.colorCount(), 16);
        }
    }
}

TEST(DestructionFrames, EachFrameCoversTheBlackOfThePreviousOne) {
    for (int scale : kScales) {
        for (int set = 1; set <= kSets; ++set) {
            Mask previous = BlackMask(Frame(set, 0, scale));
            EXPECT_GT(CountSet(previous), 0) << "set " << set << " frame 0 is blank";
            for (int frame = 1; frame < kFrames; ++frame) {
                const Mask current = BlackMask(Frame(set, frame, scale));
                for (std::size_t i = 0; i < previous.size(); ++i) {
                    ASSERT_TRUE(!previous[i] || current[i]) << "set " << set << " frame " << frame
                                                            << " scale " << scale << " pixel " << i;
                }
                EXPECT_GT(CountSet(current), CountSet(previous))
                    << "set " << set << " frame " << frame;
                previous = current;
            }
        }
    }
}

TEST(DestructionFrames, AreBlackOnPureWhite) {
    for (int scale : kScales) {
        for (int set = 1; set <= kSets; ++set) {
            for (int frame = 0; frame < kFrames; ++frame) {
                const QImage image = Frame(set, frame, scale);
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const QRgb p = image.pixel(x, y) & 0xffffff;
                        ASSERT_TRUE(p == 0 || p == 0xffffff) << set << "DESTR" << frame;
                    }
                }
            }
        }
    }
}

TEST(DestructionFrames, OnlyTheThirdSetEndsAllBlack) {
    for (int scale : kScales) {
        const int pixels = kCell * kCell * scale * scale;
        EXPECT_EQ(CountSet(BlackMask(Frame(3, 10, scale))), pixels);
        for (int set : {1, 2}) {
            const int black = CountSet(BlackMask(Frame(set, 10, scale)));
            EXPECT_LT(black, pixels) << "set " << set << " hides the whole block";
            EXPECT_GT(black, pixels / 2) << "set " << set << " hardly covers the block";
        }
    }
}

TEST(DestructionFrames, TheThreeAnimationsLookDifferent) {
    for (int frame : {3, 6, 9}) {
        const Mask iris = BlackMask(Frame(1, frame, 1));
        const Mask hatch = BlackMask(Frame(2, frame, 1));
        const Mask dissolve = BlackMask(Frame(3, frame, 1));
        const int quarter = kCell * kCell / 4;
        EXPECT_GT(CountDifferent(iris, hatch), quarter / 2) << "frame " << frame;
        EXPECT_GT(CountDifferent(iris, dissolve), quarter / 2) << "frame " << frame;
        EXPECT_GT(CountDifferent(hatch, dissolve), quarter / 2) << "frame " << frame;
    }
}

TEST(CellPictures, EmptyCellIsMostlyBlack) {
    for (int scale : kScales) {
        const QImage empty = Block(0, scale);
        const int black = CountSet(BlackMask(empty));
        EXPECT_GT(black, empty.width() * empty.height() * 9 / 10);
        EXPECT_LT(black, empty.width() * empty.height()) << "the dot pattern is missing";
    }
}

TEST(CellPictures, BlockTypesDifferInColour) {
    for (int scale : kScales) {
        for (int a = 1; a <= kBlockTypes; ++a) {
            EXPECT_GT(Distance(MeanOf(Block(a, scale)), MeanOf(Block(0, scale))), 80)
                << "type " << a << " looks like an empty cell";
            for (int b = a + 1; b <= kBlockTypes; ++b) {
                EXPECT_GT(Distance(BodyColourOf(Block(a, scale)), BodyColourOf(Block(b, scale))),
                          50)
                    << "types " << a << " and " << b << " at scale " << scale;
            }
        }
    }
}

// A player who cannot tell the colours apart still tells the types by the
// pale emblem in their middle.
TEST(CellPictures, BlockTypesDifferInEmblemShape) {
    for (int scale : kScales) {
        std::vector<Mask> emblems;
        for (int type = 1; type <= kBlockTypes; ++type) {
            emblems.push_back(PaleMask(Block(type, scale)));
            EXPECT_GT(CountSet(emblems.back()), 12 * scale * scale) << "type " << type;
        }
        for (int a = 0; a < kBlockTypes; ++a) {
            for (int b = a + 1; b < kBlockTypes; ++b) {
                EXPECT_GE(CountDifferent(emblems[a], emblems[b]), 8 * scale * scale)
                    << "types " << a + 1 << " and " << b + 1 << " at scale " << scale;
            }
        }
    }
}

// The digits fill their pictures with a dark face, so the seven make one
// counter; an unlit segment is only a shade above that face, far below a lit
// one, so no digit reads as an 8 with a few red segments.
TEST(Digits, AreRedOnADarkFaceAndAllDiffer) {
    for (int scale : kScales) {
        std::vector<Mask> lit;
        for (int d = 0; d <= 9; ++d) {
            const QImage digit = Digit(d, scale);
            for (QPoint corner : {QPoint(0, 0), QPoint(digit.width() - 1, digit.height() - 1)}) {
                EXPECT_LT(QColor(digit.pixel(corner)).value(), 40) << "DG" << d;
            }
            Mask red;
            for (int y = 0; y < digit.height(); ++y) {
                for (int x = 0; x < digit.width(); ++x) {
                    const QColor c(digit.pixel(x, y));
                    red.push_back(c.hsvSaturation() > 150 && c.value() > 100);
                }
            }
            EXPECT_GT(CountSet(red), 15 * scale * scale) << "DG" << d << " shows no lit segment";
            lit.push_back(red);
        }
        EXPECT_GT(CountSet(lit[8]), CountSet(lit[1]) * 2) << "8 lights all segments, 1 only two";
        for (int a = 0; a <= 9; ++a) {
            for (int b = a + 1; b <= 9; ++b) {
                EXPECT_GT(CountDifferent(lit[a], lit[b]), 6 * scale * scale) << a << " and " << b;
            }
        }
        // Where 8 is lit and a digit is not, that digit shows its unlit
        // segments: on average a third as bright as its lit ones at most.
        for (int d = 0; d <= 9; ++d) {
            if (d == 8) continue;
            const QImage digit = Digit(d, scale);
            double litSum = 0, unlitSum = 0;
            int litCount = 0, unlitCount = 0;
            for (int y = 0, i = 0; y < digit.height(); ++y) {
                for (int x = 0; x < digit.width(); ++x, ++i) {
                    const int value = QColor(digit.pixel(x, y)).value();
                    if (lit[std::size_t(d)][std::size_t(i)]) {
                        litSum += value;
                        ++litCount;
                    } else if (lit[8][std::size_t(i)]) {
                        unlitSum += value;
                        ++unlitCount;
                    }
                }
            }
            ASSERT_GT(unlitCount, 0) << "DG" << d;
            EXPECT_LT(unlitSum / unlitCount, litSum / litCount / 3) << "DG" << d << " at " << scale;
        }
    }
}

// Off, a switch's glyph is grey and struck through in red from corner to
// corner; on, it is the coloured glyph without the bar.
TEST(Glyphs, SwitchesAreStruckThroughWhenOff) {
    const auto redOnDiagonal = [](const QImage& glyph) {
        int red = 0;
        for (int i = glyph.width() / 4; i < glyph.width() * 3 / 4; ++i) {
            const QColor c(glyph.pixel(i, i));
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
        }
        return red;
    };
    for (const char* name : {"MUSIC", "SOUND"}) {
        for (int scale : kScales) {
            const QImage on = LoadResource("glyphs", QString("GLYPH_") + name, scale);
            const QImage off = LoadResource("glyphs", QString("GLYPH_%1_OFF").arg(name), scale);
            ASSERT_EQ(on.size(), off.size()) << name;
            EXPECT_EQ(redOnDiagonal(on), 0) << name;
            EXPECT_GE(redOnDiagonal(off), off.width() / 2 - 1) << name;
        }
    }
}

TEST(Glyphs, StandOnWhite) {
    for (const char* g : kGlyphs) {
        for (int scale : kScales) {
            const QImage glyph = LoadResource("glyphs", QString("GLYPH_") + g, scale);
            ASSERT_FALSE(glyph.isNull()) << g;
            EXPECT_EQ(glyph.pixel(0, 0) & 0xffffff, 0xffffffu) << g;
            int drawn = 0;
            for (int y = 0; y < glyph.height(); ++y) {
                for (int x = 0; x < glyph.width(); ++x)
                    drawn += (glyph.pixel(x, y) & 0xffffff) != 0xffffff;
            }
            EXPECT_GT(drawn, glyph.width() * glyph.height() / 8) << g;
        }
    }
}

namespace {

// Whether the JPEG holds a baseline frame header (SOF0) with three 8-bit
// components, and no progressive one.
bool IsBaselineColourJpeg(const QByteArray& jpeg) {
    const int sof0 = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof0 < 0 || jpeg.contains(QByteArray("\xff\xc2", 2))) return false;
    // Marker, length (2), precision, height (2), width (2), components.
    return uchar(jpeg[sof0 + 4]) == 8 && uchar(jpeg[sof0 + 9]) == 3;
}

}  // namespace

TEST(AboutPicture, IsABaselineColourJpegAtBothScales) {
    const QByteArray normal = ResourceBytes("jpeg", "ABOUT", 1);
    const QByteArray doubled = ResourceBytes("jpeg", "ABOUT", 2);
    EXPECT_TRUE(IsBaselineColourJpeg(normal));
    EXPECT_TRUE(IsBaselineColourJpeg(doubled));
    EXPECT_EQ(QImage::fromData(normal, "JPEG").size(), QSize(500, 375));
    EXPECT_EQ(QImage::fromData(doubled, "JPEG").size(), QSize(1000, 750));
    EXPECT_NEAR(double(normal.size()), 66278.0, 66278.0 * 0.1);
}

// The about box writes its text over the lower left: nothing but grey stone there.
TEST(AboutPicture, LeavesTheLabelAreaPlain) {
    for (int scale : kScales) {
        const QImage about = LoadResource("jpeg", "ABOUT", scale);
        const QRect area(QRect(4, 200, 301, 173).topLeft() * scale, QSize(301, 173) * scale);
        int coloured = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                coloured += QColor(about.pixel(x, y)).hsvSaturation() > 60;
            }
        }
        EXPECT_LT(coloured, area.width() * area.height() / 200) << "scale " << scale;
    }
}

namespace {

const QString kIconDir = QString(KWADRILL_SOURCE_DIR) + "/data/icons";

}  // namespace

TEST(Icon, HasAPngForEveryThemeSize) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(QString("%1/%2x%2/kwadrill.png").arg(kIconDir).arg(size));
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "corner of the " << size << " icon";
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size - 1 - size / 8)), 255)
            << "well of the " << size << " icon";
    }
}

TEST(Icon, SvgIsAWellFormedScalableDocument) {
    QFile file(kIconDir + "/kwadrill.svg");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int paths = 0;
    QString viewBox;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("svg"))
            viewBox = xml.attributes().value("viewBox").toString();
        if (xml.name() == QLatin1String("path")) ++paths;
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(viewBox, "0 0 256 256");
    EXPECT_GT(paths, 20);
}
