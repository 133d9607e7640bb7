// Tests of the window's skin images: the committed files, their sizes and states, and the GIF
// encoder.
//
// The images in resources/Skin are made by the skin generator. After a change to the
// artwork, regenerate them with
//   PLINDAR_REGENERATE_SKIN=1 build/release/tests/skin_test --gtest_filter='SkinFiles.*'
// (or run build/release/tools/plindar-skin-generator resources/Skin) and commit the
// new files. Without the variable the tests check that the committed files are what
// the generator draws now.
#include "skin/skin_artwork.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "skin/gif_writer.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadWholeFile;

const char kRegenerateHint[] =
    "regenerate with PLINDAR_REGENERATE_SKIN=1 (see the top of this file)";

fs::path SkinFolder() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "resources" / "Skin";
}
std::string CommittedPath(SkinImage image) {
    return (SkinFolder() / kSkinFileNames[image]).string();
}
bool Regenerating() {
    const char* flag = std::getenv("PLINDAR_REGENERATE_SKIN");
    return flag != nullptr && std::string(flag) == "1";
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QImage Decode(const QByteArray& bytes) {
    return QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32);
}

// A fully transparent pixel's colour carries no meaning; decoders differ in what they
// leave there.
QRgb Visible(QRgb pixel) {
    return qAlpha(pixel) == 0 ? 0 : pixel;
}

// "" when the two images match within `tolerance` per channel, else what differs.
std::string Mismatch(const QImage& expected, const QImage& actual, int tolerance) {
    if (expected.size() != actual.size()) {
        std::ostringstream out;
        out << "size " << actual.width() << "x" << actual.height() << ", expected "
            << expected.width() << "x" << expected.height();
        return out.str();
    }
    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb e = Visible(expected.pixel(x, y));
            const QRgb a = Visible(actual.pixel(x, y));
            const int worst =
                std::max({std::abs(qRed(e) - qRed(a)), std::abs(qGreen(e) - qGreen(a)),
                          std::abs(qBlue(e) - qBlue(a)), std::abs(qAlpha(e) - qAlpha(a))});
            if (worst > tolerance) {
                if (differing++ == 0) {
                    first << " first at (" << x << "," << y << "): " << std::hex << a
                          << " instead of " << e;
                }
            }
        }
    }
    return differing == 0 ? "" : std::to_string(differing) + " pixels differ;" + first.str();
}

// JPEG is lossy and encoders may round differently between library builds; a real
// change to the artwork moves pixels by far more than this.
constexpr int kJpegTolerance = 3;

// The committed files, rewritten on request and otherwise compared with a fresh drawing.
TEST(SkinFiles, CommittedFilesAreWhatTheGeneratorDraws) {
    for (int i = 0; i < SKIN_IMAGE_COUNT; ++i) {
        const auto image = static_cast<SkinImage>(i);
        SCOPED_TRACE(kSkinFileNames[image]);
        const skin_file_stu drawn = DrawSkinFile(image);
        const QByteArray fresh = EncodeSkinFile(drawn);
        ASSERT_FALSE(fresh.isEmpty());
        if (Regenerating()) {
            fs::create_directories(SkinFolder());
            std::ofstream out(CommittedPath(image), std::ios::binary | std::ios::trunc);
            out.write(fresh.constData(), fresh.size());
        }
        ASSERT_TRUE(FileExists(CommittedPath(image))) << kRegenerateHint;
        const QByteArray committed = Bytes(ReadWholeFile(CommittedPath(image)));
        switch (FormatOf(image)) {
            case SkinFormat::GIF:
                // Our own encoder: the bytes themselves are reproducible.
                EXPECT_TRUE(committed == fresh) << kRegenerateHint;
                break;
            case SkinFormat::JPEG:
                EXPECT_EQ(Mismatch(Decode(fresh), Decode(committed), kJpegTolerance), "")
                    << kRegenerateHint;
                break;
            case SkinFormat::PNG:
            case SkinFormat::BMP:
                // Compressor versions may change the bytes; the pixels must not change.
                EXPECT_EQ(Mismatch(Decode(fresh), Decode(committed), 0), "") << kRegenerateHint;
                break;
        }
    }
}

struct expected_file_stu {
    SkinImage image;
    const char* format;  // as QImageReader names it
    int width;
    int height;
};

// What each control needs: the window and its backgrounds 817 x 540, the controls'
// own sizes, the grid's 24 px icon list, the 16 px busy picture.
constexpr std::array<expected_file_stu, SKIN_IMAGE_COUNT> kExpectedFiles = {{
    {SKIN_MAIN_BK_PNG, "png", 817, 540},
    {SKIN_MAIN_BK_JPG, "jpeg", 817, 540},
    {SKIN_MAIN_BK3_JPG, "jpeg", 817, 540},
    {SKIN_WAIT_SEARCH_GIF, "gif", 16, 16},
    {SKIN_SCAN_BTN_NORMAL, "png", 218, 24},
    {SKIN_SCAN_BTN_OVER, "png", 218, 24},
    {SKIN_SCAN_BTN_DOWN, "png", 218, 24},
    {SKIN_SCAN_BTN_DISABLE, "png", 218, 24},
    {SKIN_LOGO, "bmp", 220, 48},
    {SKIN_COMBOX_DOWN, "png", 24, 24},
    {SKIN_PROTECTION_BTN_NORMAL, "png", 142, 24},
    {SKIN_PROTECTION_BTN_OVER, "png", 142, 24},
    {SKIN_PROTECTION_BTN_DOWN, "png", 142, 24},
    {SKIN_PROTECTION_BTN_DISABLE, "png", 142, 24},
    {SKIN_CHANGE_BTN_NORMAL, "png", 48, 18},
    {SKIN_BTN_TEMPLATE, "png", 136, 28},
    {SKIN_SELECT, "bmp", 24, 24},
    {SKIN_UNSELECT, "bmp", 24, 24},
    {SKIN_PART_SELECT, "bmp", 24, 24},
    {SKIN_SUCCESS, "bmp", 24, 24},
    {SKIN_ERROR, "bmp", 24, 24},
    {SKIN_OPERATING, "bmp", 24, 24},
    {SKIN_APPLY_BTN_NORMAL, "png", 67, 27},
    {SKIN_APPLY_BTN_OVER, "png", 67, 27},
    {SKIN_APPLY_BTN_DOWN, "png", 67, 27},
    {SKIN_APPLY_BTN_DISABLE, "png", 67, 27},
    {SKIN_CANCEL_BTN_NORMAL, "png", 71, 27},
    {SKIN_CANCEL_BTN_OVER, "png", 71, 27},
    {SKIN_CANCEL_BTN_DOWN, "png", 71, 27},
    {SKIN_CHOOSE_BTN_NORMAL, "png", 99, 28},
    {SKIN_BTN_INI_FILE, "png", 209, 28},
    {SKIN_BTN_PIC_FILE, "png", 209, 28},
    {SKIN_BTN_SWITCH_ON, "png", 40, 20},
    {SKIN_BTN_SWITCH_OFF, "png", 40, 20},
    {SKIN_BTN_CLOSE_NORMAL, "png", 16, 16},
    {SKIN_BTN_CLOSE_OVER, "png", 16, 16},
    {SKIN_BTN_CLOSE_DOWN, "png", 16, 16},
    {SKIN_BTN_CLOSE_NORMAL2, "png", 16, 16},
    {SKIN_BTN_CHILD_CLOSE, "png", 16, 16},
    {SKIN_BTN_CHILD_CLOSE2, "png", 16, 16},
    {SKIN_BTN_MIN_NORMAL, "png", 16, 16},
    {SKIN_BTN_MIN_OVER, "png", 16, 16},
    {SKIN_BTN_MIN_DOWN, "png", 16, 16},
}};

// The format is read from the file's content, not its name, so a PNG saved under a
// .bmp name fails here.
TEST(SkinFiles, EachFileHasTheFormatAndSizeOfItsControl) {
    for (const expected_file_stu& e : kExpectedFiles) {
        SCOPED_TRACE(kSkinFileNames[e.image]);
        ASSERT_TRUE(FileExists(CommittedPath(e.image))) << kRegenerateHint;
        QImageReader reader(QString::fromStdString(CommittedPath(e.image)));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format().toStdString(), e.format);
        EXPECT_EQ(reader.size(), QSize(e.width, e.height));
        EXPECT_FALSE(reader.read().isNull()) << reader.errorString().toStdString();
    }
}

QImage Committed(SkinImage image) {
    return QImage(QString::fromStdString(CommittedPath(image)))
        .convertToFormat(QImage::Format_ARGB32);
}

// Share of pixels whose colour (over white, as the pages show them) moves by more
// than a just-visible step.
double VisiblyChangedShare(const QImage& a, const QImage& b) {
    constexpr int kVisibleStep = 12;
    const auto over_white = [](QRgb p, int channel) {
        return (channel * qAlpha(p) + 255 * (255 - qAlpha(p))) / 255;
    };
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int worst =
                std::max({std::abs(over_white(p, qRed(p)) - over_white(q, qRed(q))),
                          std::abs(over_white(p, qGreen(p)) - over_white(q, qGreen(q))),
                          std::abs(over_white(p, qBlue(p)) - over_white(q, qBlue(q)))});
            changed += worst > kVisibleStep ? 1 : 0;
        }
    }
    return static_cast<double>(changed) / (a.width() * a.height());
}

struct family_stu {
    const char* name;
    std::vector<SkinImage> members;
};

// Images the operator must tell apart: the states of one button, or icons that share
// a grid column.
TEST(SkinFiles, StatesOfEachFamilyAreVisiblyDifferent) {
    // A hover tint on a flat button changes most of it; glyph-only differences (the
    // tick boxes, the statuses' marks) still change a good part of the icon.
    constexpr double kMinimumChangedShare = 0.2;
    const std::vector<family_stu> families = {
        {"scan",
         {SKIN_SCAN_BTN_NORMAL, SKIN_SCAN_BTN_OVER, SKIN_SCAN_BTN_DOWN, SKIN_SCAN_BTN_DISABLE}},
        {"protection",
         {SKIN_PROTECTION_BTN_NORMAL, SKIN_PROTECTION_BTN_OVER, SKIN_PROTECTION_BTN_DOWN,
          SKIN_PROTECTION_BTN_DISABLE}},
        {"apply",
         {SKIN_APPLY_BTN_NORMAL, SKIN_APPLY_BTN_OVER, SKIN_APPLY_BTN_DOWN, SKIN_APPLY_BTN_DISABLE}},
        {"cancel", {SKIN_CANCEL_BTN_NORMAL, SKIN_CANCEL_BTN_OVER, SKIN_CANCEL_BTN_DOWN}},
        {"close", {SKIN_BTN_CLOSE_NORMAL, SKIN_BTN_CLOSE_OVER, SKIN_BTN_CLOSE_DOWN}},
        {"close on the adapter page", {SKIN_BTN_CLOSE_NORMAL2, SKIN_BTN_CLOSE_OVER}},
        {"minimise", {SKIN_BTN_MIN_NORMAL, SKIN_BTN_MIN_OVER, SKIN_BTN_MIN_DOWN}},
        {"switch", {SKIN_BTN_SWITCH_ON, SKIN_BTN_SWITCH_OFF}},
        {"tick boxes", {SKIN_UNSELECT, SKIN_SELECT, SKIN_PART_SELECT}},
        {"statuses", {SKIN_SUCCESS, SKIN_ERROR, SKIN_OPERATING}},
    };
    for (const family_stu& family : families) {
        for (size_t i = 0; i < family.members.size(); ++i) {
            for (size_t j = i + 1; j < family.members.size(); ++j) {
                const QImage a = Committed(family.members[i]);
                const QImage b = Committed(family.members[j]);
                ASSERT_EQ(a.size(), b.size()) << family.name;
                EXPECT_GE(VisiblyChangedShare(a, b), kMinimumChangedShare)
                    << family.name << ": " << kSkinFileNames[family.members[i]] << " and "
                    << kSkinFileNames[family.members[j]];
            }
        }
    }
}

// The grid's icon list keys out pure white: the icons' ground must be pure white and
// their marks must not be, or a tick would turn into a hole.
TEST(SkinFiles, GridIconsKeepPureWhiteForTheirGroundOnly) {
    struct icon_stu {
        SkinImage image;
        bool filled_middle;  // the middle is all box or disc, no open ground
    };
    constexpr std::array<icon_stu, 6> kIcons = {{{SKIN_UNSELECT, false},
                                                 {SKIN_SELECT, true},
                                                 {SKIN_PART_SELECT, false},
                                                 {SKIN_SUCCESS, true},
                                                 {SKIN_ERROR, true},
                                                 {SKIN_OPERATING, true}}};
    constexpr QRgb kKeyWhite = qRgb(255, 255, 255);
    constexpr QRect kMiddle(7, 7, 10, 10);
    for (const icon_stu& icon : kIcons) {
        SCOPED_TRACE(kSkinFileNames[icon.image]);
        const QImage image = Committed(icon.image);
        for (QPoint corner : {QPoint(0, 0), QPoint(23, 0), QPoint(0, 23), QPoint(23, 23)}) {
            EXPECT_EQ(image.pixel(corner), kKeyWhite);
        }
        int keyed_in_middle = 0;
        int marked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool white = image.pixel(x, y) == kKeyWhite;
                marked += white ? 0 : 1;
                keyed_in_middle += white && kMiddle.contains(x, y) ? 1 : 0;
            }
        }
        EXPECT_GT(marked, 0);
        if (icon.filled_middle) {
            EXPECT_EQ(keyed_in_middle, 0);
        }
    }
}

QImage ReadFrame(QImageReader& reader) {
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

TEST(BusyAnimation, LoopsForeverThroughTimedFramesThatDecodeAsDrawn) {
    const gif_animation_stu drawn = DrawSkinFile(SKIN_WAIT_SEARCH_GIF).animation;
    QImageReader reader(QString::fromStdString(CommittedPath(SKIN_WAIT_SEARCH_GIF)));
    ASSERT_TRUE(reader.supportsAnimation());
    EXPECT_GT(reader.imageCount(), 1);
    EXPECT_EQ(reader.imageCount(), static_cast<int>(drawn.frames.size()));
    EXPECT_EQ(reader.loopCount(), -1) << "-1 is Qt's word for looping forever";
    std::vector<QImage> frames;
    for (size_t f = 0; f < drawn.frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const QImage frame = ReadFrame(reader);
        ASSERT_FALSE(frame.isNull()) << reader.errorString().toStdString();
        EXPECT_GT(reader.nextImageDelay(), 0);
        EXPECT_EQ(Mismatch(GifFrameImage(drawn, f), frame, 0), "");
        frames.push_back(frame);
    }
    // Each frame moves on from the one before, or the spinner would stutter.
    for (size_t f = 0; f < frames.size(); ++f) {
        EXPECT_NE(frames[f], frames[(f + 1) % frames.size()]) << "frame " << f;
    }
}

// Both pages show the animation over their disabled scan button; its anti-aliased
// edges are blended towards the GIF's background colour, which must be that button's.
TEST(BusyAnimation, IsMattedOnTheDisabledScanButtonsItSitsOn) {
    const std::string gif = ReadWholeFile(CommittedPath(SKIN_WAIT_SEARCH_GIF));
    constexpr size_t kBackgroundIndexAt = 11;
    constexpr size_t kColourTableAt = 13;
    ASSERT_GT(gif.size(), kColourTableAt);
    const size_t entry = kColourTableAt + 3 * static_cast<uint8_t>(gif[kBackgroundIndexAt]);
    ASSERT_GT(gif.size(), entry + 2);
    const QRgb background =
        qRgb(static_cast<uint8_t>(gif[entry]), static_cast<uint8_t>(gif[entry + 1]),
             static_cast<uint8_t>(gif[entry + 2]));
    // Where the animation's middle falls on each button: the adapter page's start-scan
    // button and the device list's scan button (drawn from the large-button image).
    struct placement_stu {
        SkinImage button;
        QPoint middle;
    };
    constexpr std::array<placement_stu, 2> kPlacements = {{
        {SKIN_SCAN_BTN_DISABLE, QPoint(221 - 53 + 8, 186 - 182 + 8)},
        {SKIN_PROTECTION_BTN_DISABLE, QPoint(773 - 700 + 8, 28 - 24 + 8)},
    }};
    for (const placement_stu& p : kPlacements) {
        EXPECT_EQ(Committed(p.button).pixel(p.middle), background)
            << kSkinFileNames[p.button] << " under the animation";
    }
}

// ---- the encoder against Qt's decoder ----------------------------------------------

struct gif_case_stu {
    const char* name;
    int width;
    int height;
    int colours;
    int frames;
    enum Pattern { Flat, Stripes, Noise } pattern;
};

gif_animation_stu MakeAnimation(const gif_case_stu& c) {
    gif_animation_stu animation;
    animation.width = static_cast<uint16_t>(c.width);
    animation.height = static_cast<uint16_t>(c.height);
    for (int i = 0; i < c.colours; ++i) {
        animation.palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                     static_cast<uint8_t>((i * 37) & 0xFF)});
    }
    animation.transparent_index = 0;
    std::mt19937 random(20240611);  // fixed seed: the same picture every run
    for (int f = 0; f < c.frames; ++f) {
        gif_frame_stu frame;
        frame.delay_cs = static_cast<uint16_t>(5 + f);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                int index = 1 % c.colours;
                if (c.pattern == gif_case_stu::Stripes) {
                    index = (x + y + f) % c.colours;
                } else if (c.pattern == gif_case_stu::Noise) {
                    index = static_cast<int>(random() % static_cast<unsigned>(c.colours));
                }
                frame.indices.push_back(static_cast<uint8_t>(index));
            }
        }
        animation.frames.push_back(std::move(frame));
    }
    return animation;
}

TEST(GifEncoder, QtDecodesEveryFrameAsWritten) {
    const std::vector<gif_case_stu> cases = {
        {"one pixel, two colours", 1, 1, 2, 1, gif_case_stu::Flat},
        {"odd size, three colours padded to four", 7, 3, 3, 2, gif_case_stu::Stripes},
        {"sixteen colours", 16, 16, 16, 3, gif_case_stu::Stripes},
        // Long runs make ever longer strings, so codes widen to the 12-bit limit.
        {"long flat run", 320, 240, 256, 1, gif_case_stu::Flat},
        // Noise fills the code table many times over: the encoder must restart it.
        {"noise over 256 colours", 200, 150, 256, 2, gif_case_stu::Noise},
        {"noise over two colours", 128, 128, 2, 1, gif_case_stu::Noise},
    };
    for (const gif_case_stu& c : cases) {
        SCOPED_TRACE(c.name);
        const gif_animation_stu animation = MakeAnimation(c);
        QByteArray bytes = Bytes(EncodeGif(animation));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "gif");
        ASSERT_EQ(reader.imageCount(), c.frames);
        for (int f = 0; f < c.frames; ++f) {
            const QImage frame = ReadFrame(reader);
            ASSERT_FALSE(frame.isNull())
                << "frame " << f << ": " << reader.errorString().toStdString();
            EXPECT_EQ(reader.nextImageDelay(), 10 * animation.frames[f].delay_cs);
            EXPECT_EQ(Mismatch(GifFrameImage(animation, f), frame, 0), "") << "frame " << f;
        }
    }
}

}  // namespace
}  // namespace plindar
