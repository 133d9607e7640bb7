// Logo preparation: size rule, crop-box geometry, the resampler and the JPEG files written.
#include "content/logo_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "content/catmull_rom.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace plindar {

// Found by argument-dependent lookup, so failures show rectangles, not bytes.
void PrintTo(const logo_rect_stu& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

using test::TempFolder;

const char kLoadFailedMessage[] =
    "Image loading failed!Please confirm that the file format is correct (supports PNG / JPG / "
    "BMP).";

// The cropping dialog's view: 387 x 118 screen pixels.
const logo_rect_stu kDialogClient{0, 0, 387, 118};

QImage MakeImage(int width, int height, const std::function<QRgb(int, int)>& colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colour(x, y));
        }
    }
    return image;
}

QImage Solid(int width, int height, QRgb colour) {
    return MakeImage(width, height, [colour](int, int) { return colour; });
}

std::string SavePng(const QImage& image, const std::string& path) {
    EXPECT_TRUE(image.save(QString::fromStdString(path), "png")) << path;
    return path;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// ---------------------------------------------------------------- size rule

TEST(LogoSizeRule, OnlyImagesBeyondTheLogoInEitherDirectionNeedCropping) {
    struct size_case {
        logo_size_stu size;
        bool needs_crop;
    };
    const size_case cases[] = {
        {{229, 51}, false}, {{228, 50}, false}, {{1, 1}, false},   {{0, 0}, false},
        {{200, 40}, false}, {{230, 51}, true},  {{229, 52}, true}, {{300, 40}, true},
        {{100, 100}, true}, {{230, 52}, true},
    };
    for (const size_case& c : cases) {
        EXPECT_EQ(NeedsCrop(c.size), c.needs_crop) << c.size.width << " x " << c.size.height;
        EXPECT_EQ(IsSmallImage(c.size), !c.needs_crop) << c.size.width << " x " << c.size.height;
    }
}

TEST(LogoSizeRule, FilesAreJudgedByTheirImageSizeAndUnreadableOnesNeverNeedCropping) {
    TempFolder folder;
    const QRgb grey = qRgb(90, 90, 90);
    EXPECT_FALSE(NeedsCrop(SavePng(Solid(229, 51, grey), folder.Path() + "exact.png")));
    EXPECT_TRUE(NeedsCrop(SavePng(Solid(230, 51, grey), folder.Path() + "wide.png")));
    EXPECT_TRUE(NeedsCrop(SavePng(Solid(229, 52, grey), folder.Path() + "high.png")));

    // Content decides, not the extension.
    QImage wide = Solid(400, 30, grey);
    ASSERT_TRUE(wide.save(QString::fromStdString(folder.Path() + "jpeg-named.png"), "jpeg"));
    EXPECT_TRUE(NeedsCrop(folder.Path() + "jpeg-named.png"));

    WriteText(folder.Path() + "text.png", "not an image at all");
    EXPECT_FALSE(NeedsCrop(folder.Path() + "text.png"));
    EXPECT_FALSE(NeedsCrop(folder.Path() + "missing.png"));
    EXPECT_FALSE(NeedsCrop(folder.Path()));
}

// ---------------------------------------------------------------- geometry

TEST(CropGeometry, FirstLayoutFitsTheImageAndCentresABoxOfLogoSizeAtTheDisplayScale) {
    struct layout_case {
        logo_size_stu image;
        logo_rect_stu image_rect;
        logo_rect_stu box;
    };
    const layout_case cases[] = {
        // Height-bound: 236 x 118 shown, scale 0.236, box 54 x 12.
        {{1000, 500}, {75, 0, 311, 118}, {166, 53, 220, 65}},
        // Width-bound at ten times the logo: scale 0.169, box 39 x 9.
        {{2290, 510}, {0, 16, 387, 102}, {174, 55, 213, 64}},
        // A strip lower than the logo: the box (295 x 66 at scale 1.29) is cut to
        // the image's 51 shown rows.
        {{300, 40}, {0, 33, 387, 84}, {46, 33, 341, 84}},
    };
    for (const layout_case& c : cases) {
        const crop_view_stu view = LoadCropView(c.image, kDialogClient);
        SCOPED_TRACE(std::to_string(c.image.width) + " x " + std::to_string(c.image.height));
        EXPECT_EQ(view.image_rect, c.image_rect);
        EXPECT_EQ(view.crop_box, c.box);
        EXPECT_FALSE(view.crop_centre.has_value());
    }
}

TEST(CropGeometry, AtNaturalSizeTheBoxIsTheLogoAroundTheCentreAndStaysOnTheImage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct box_case {
        const char* what;
        logo_size_stu image;
        std::optional<logo_pointf_stu> centre;
        logo_rect_stu box;
    };
    const box_case cases[] = {
        {"image centre", {1000, 500}, std::nullopt, {386, 225, 615, 276}},
        {"given centre", {1000, 500}, logo_pointf_stu{300.2, 100.7}, {186, 76, 415, 127}},
        {"top-left corner", {1000, 500}, logo_pointf_stu{10, 10}, {0, 0, 229, 51}},
        {"bottom-right corner", {1000, 500}, logo_pointf_stu{990, 490}, {771, 449, 1000, 500}},
        {"far off the image", {1000, 500}, logo_pointf_stu{1e300, -1e300}, {771, 0, 1000, 51}},
        {"not a number", {1000, 500}, logo_pointf_stu{nan, nan}, {386, 225, 615, 276}},
        {"one column too wide", {230, 51}, std::nullopt, {1, 0, 230, 51}},
        {"strip lower than the logo", {300, 40}, std::nullopt, {36, 0, 265, 40}},
        {"small image", {229, 51}, std::nullopt, {}},
    };
    for (const box_case& c : cases) {
        EXPECT_EQ(ImageCropBox(c.image, c.centre), c.box) << c.what;
    }
}

TEST(CropGeometry, ZoomStepsStopAtTheLimits) {
    double zoom = 1.0;
    for (int step = 1; step <= 16; ++step) {
        zoom = NextZoom(zoom, 120);
    }
    EXPECT_NEAR(zoom, std::pow(kZoomStep, 16), 1e-9);
    EXPECT_DOUBLE_EQ(NextZoom(zoom, 120), kMaxZoom);  // 10.76 cut to 10
    EXPECT_DOUBLE_EQ(NextZoom(kMaxZoom, 120), kMaxZoom);

    zoom = 1.0;
    for (int step = 1; step <= 11; ++step) {
        zoom = NextZoom(zoom, -120);
    }
    EXPECT_NEAR(zoom, std::pow(kZoomStep, -11), 1e-9);
    EXPECT_DOUBLE_EQ(NextZoom(zoom, -120), kMinZoom);  // 0.187 cut to 0.2

    // At the limit a further step changes nothing at all.
    crop_view_stu view = LoadCropView({1000, 500}, kDialogClient);
    for (int step = 0; step < 17; ++step) {
        view = ZoomAt(view, {200, 60}, 120);
    }
    ASSERT_DOUBLE_EQ(view.zoom, kMaxZoom);
    const crop_view_stu again = ZoomAt(view, {200, 60}, 120);
    EXPECT_EQ(again.image_rect, view.image_rect);
    EXPECT_EQ(again.crop_box, view.crop_box);
}

TEST(CropGeometry, ZoomingKeepsTheImagePointUnderThePointer) {
    crop_view_stu view = LoadCropView({1000, 500}, kDialogClient);
    const logo_point_stu pointer{120, 30};
    const double s = DisplayScale(view);
    const double image_x = (pointer.x - view.image_rect.left) / s;
    const double image_y = (pointer.y - view.image_rect.top) / s;
    for (int delta : {120, 120, 120, -120, 120}) {
        view = ZoomAt(view, pointer, delta);
        const double now = DisplayScale(view);
        EXPECT_NEAR(view.image_rect.left + image_x * now, pointer.x, 1.0) << view.zoom;
        EXPECT_NEAR(view.image_rect.top + image_y * now, pointer.y, 1.0) << view.zoom;
    }
}

// The crop region's centre in image pixels, compared within `screen_pixels` of the
// coarser of the two display scales.
void ExpectSameRegion(const crop_view_stu& before, const crop_view_stu& after,
                      double screen_pixels) {
    const logo_rectf_stu a = CropSourceRect(before);
    const logo_rectf_stu b = CropSourceRect(after);
    const double tolerance = screen_pixels / std::min(DisplayScale(before), DisplayScale(after));
    EXPECT_NEAR(a.x + a.width / 2, b.x + b.width / 2, tolerance);
    EXPECT_NEAR(a.y + a.height / 2, b.y + b.height / 2, tolerance);
}

TEST(CropGeometry, TheBoxKeepsItsImageRegionThroughPanZoomAndResize) {
    crop_view_stu view = LoadCropView({1000, 500}, kDialogClient);
    view = DragCropBox(view, view.crop_box, {-60, -30});
    view = RememberCropCentre(view);
    const crop_view_stu dragged = view;
    ASSERT_TRUE(view.crop_centre.has_value());

    view = ZoomAt(view, {150, 40}, 120);
    view = ZoomAt(view, {150, 40}, 120);
    ExpectSameRegion(dragged, view, 2.0);
    EXPECT_GT(view.crop_box.Width(), dragged.crop_box.Width());

    view = PanImage(view, view.pan, {25, -12});
    ExpectSameRegion(dragged, view, 2.0);

    view = ResizeView(view, {0, 0, 500, 200});
    ExpectSameRegion(dragged, view, 2.0);

    // Remembering and laying out again without a change must not creep.
    const logo_rect_stu settled = view.crop_box;
    for (int round = 0; round < 5; ++round) {
        view = LayoutImage(RememberCropCentre(view));
    }
    EXPECT_EQ(view.crop_box, settled);

    // A double click brings the box back to the image centre at zoom 1.
    view = ResetView(ResizeView(view, kDialogClient));
    const crop_view_stu fresh = LoadCropView({1000, 500}, kDialogClient);
    EXPECT_EQ(view.crop_box, fresh.crop_box);
    EXPECT_EQ(view.image_rect, fresh.image_rect);
    EXPECT_FALSE(view.crop_centre.has_value());
}

TEST(CropGeometry, DraggingTheBoxStopsAtTheEdgeOfTheVisibleImage) {
    const crop_view_stu view = LoadCropView({1000, 500}, kDialogClient);
    const logo_rect_stu box = view.crop_box;

    const crop_view_stu far_right = DragCropBox(view, box, {5000, -5000});
    EXPECT_EQ(far_right.crop_box, (logo_rect_stu{view.image_rect.right - box.Width(), 0,
                                                 view.image_rect.right, box.Height()}));

    // Zoomed in, the image overflows the view and the view's edge is the limit.
    crop_view_stu zoomed = view;
    for (int step = 0; step < 6; ++step) {
        zoomed = ZoomAt(zoomed, {193, 59}, 120);
    }
    ASSERT_LT(zoomed.image_rect.left, kDialogClient.left);
    const crop_view_stu far_left = DragCropBox(zoomed, zoomed.crop_box, {-5000, 5000});
    EXPECT_EQ(far_left.crop_box.left, kDialogClient.left);
    EXPECT_EQ(far_left.crop_box.bottom, kDialogClient.bottom);
    EXPECT_EQ(far_left.crop_box.Width(), zoomed.crop_box.Width());
    EXPECT_EQ(far_left.crop_box.Height(), zoomed.crop_box.Height());

    EXPECT_EQ(KeepInside({-10, 5, 30, 25}, {0, 0, 20, 100}), (logo_rect_stu{0, 5, 20, 25}));
    EXPECT_EQ(KeepInside({90, 95, 100, 105}, {0, 0, 100, 100}), (logo_rect_stu{90, 90, 100, 100}));
}

TEST(CropGeometry, PanningLeavesFiftyPixelsOfTheImageInView) {
    const crop_view_stu view = LoadCropView({1000, 500}, kDialogClient);
    const crop_view_stu away = PanImage(view, view.pan, {5000, 5000});
    EXPECT_EQ(away.image_rect.left, kDialogClient.right - kKeepVisiblePixels);
    EXPECT_EQ(away.image_rect.top, kDialogClient.bottom - kKeepVisiblePixels);
    EXPECT_EQ(away.image_rect.Width(), view.image_rect.Width());

    const crop_view_stu back = PanImage(view, view.pan, {-5000, -5000});
    EXPECT_EQ(back.image_rect.right, kDialogClient.left + kKeepVisiblePixels);
    EXPECT_EQ(back.image_rect.bottom, kDialogClient.top + kKeepVisiblePixels);
    // The pan records the correction, so a further small pan starts from the limit.
    const crop_view_stu nudged = PanImage(back, back.pan, {10, 0});
    EXPECT_EQ(nudged.image_rect.right, kDialogClient.left + kKeepVisiblePixels + 10);
}

TEST(CropGeometry, ASmallImageIsShownWithoutABoxAtNaturalSizeWhenItFits) {
    crop_view_stu view = LoadCropView({200, 40}, kDialogClient);
    EXPECT_TRUE(view.small_image);
    EXPECT_EQ(view.image_rect, (logo_rect_stu{93, 39, 293, 79}));
    EXPECT_TRUE(view.crop_box.IsEmpty());
    EXPECT_FALSE(RememberCropCentre(view).crop_centre.has_value());
    EXPECT_EQ(DragCropBox(view, {93, 39, 150, 60}, {5, 5}).crop_box, logo_rect_stu{});

    // At zoom 1 a small image too large for a tiny view is fitted into it.
    view = LoadCropView({200, 40}, {0, 0, 100, 100});
    EXPECT_EQ(view.image_rect, (logo_rect_stu{0, 40, 100, 60}));
    EXPECT_TRUE(LoadCropView({1000, 500}, {0, 0, 0, 0}).image_rect.IsEmpty());
}

// ---------------------------------------------------------------- resampler

std::vector<uint32_t> Pixels(const QImage& image) {
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < premultiplied.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(premultiplied.constScanLine(y));
        pixels.insert(pixels.end(), line, line + premultiplied.width());
    }
    return pixels;
}

std::vector<uint32_t> Resample(const std::vector<uint32_t>& pixels, int width, int height,
                               resample_window_stu window, int out_width, int out_height) {
    std::vector<uint32_t> out(static_cast<size_t>(out_width) * out_height, 0xDEADBEEF);
    const bool done = ResampleCatmullRom({pixels.data(), width, height, width}, window,
                                         {out.data(), out_width, out_height, out_width});
    EXPECT_TRUE(done);
    return out;
}

// A fixed pseudo-random pattern of valid premultiplied pixels.
std::vector<uint32_t> Noise(int width, int height) {
    std::vector<uint32_t> pixels;
    uint32_t state = 12345;
    for (int i = 0; i < width * height; ++i) {
        state = state * 1664525u + 1013904223u;
        const uint32_t alpha = state >> 24;
        const uint32_t r = ((state >> 16) & 0xFF) * alpha / 255;
        const uint32_t g = ((state >> 8) & 0xFF) * alpha / 255;
        const uint32_t b = (state & 0xFF) * alpha / 255;
        pixels.push_back(alpha << 24 | r << 16 | g << 8 | b);
    }
    return pixels;
}

TEST(CatmullRom, AtScaleOneThePixelsAreCopiedExactly) {
    const std::vector<uint32_t> noise = Noise(37, 23);
    EXPECT_EQ(Resample(noise, 37, 23, {0, 0, 37, 23}, 37, 23), noise);

    // A whole-pixel window at scale one is a plain cut-out.
    const std::vector<uint32_t> cut = Resample(noise, 37, 23, {5, 3, 20, 10}, 20, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(cut[y * 20 + x], noise[(y + 3) * 37 + x + 5]) << x << "," << y;
        }
    }
}

TEST(CatmullRom, AConstantImageStaysConstantAtAnyScale) {
    const uint32_t colour = 0x80402010;  // half-transparent, premultiplied
    const std::vector<uint32_t> flat(500 * 300, colour);
    struct scale_case {
        resample_window_stu window;
        int width;
        int height;
    };
    const scale_case cases[] = {
        {{0, 0, 500, 300}, 23, 11},          // shrinking hard
        {{10.25, 7.5, 9.5, 4.25}, 229, 51},  // enlarging a fractional window
        {{-20, -20, 540, 340}, 229, 51},     // reaching past the edges
        {{0, 0, 500, 300}, 777, 11},         // enlarging one way, shrinking the other
    };
    for (const scale_case& c : cases) {
        const std::vector<uint32_t> out = Resample(flat, 500, 300, c.window, c.width, c.height);
        for (uint32_t pixel : out) {
            ASSERT_EQ(pixel, colour) << c.width << " x " << c.height;
        }
    }
}

TEST(CatmullRom, ShrinkingAveragesDetailInsteadOfPickingSamples) {
    // One-pixel checks shrunk seven times: a kernel that is not widened lands on
    // single pixels and gives black or white; a widened one gives grey.
    const QImage checks = MakeImage(161, 161, [](int x, int y) {
        return (x + y) % 2 == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    });
    const std::vector<uint32_t> out = Resample(Pixels(checks), 161, 161, {0, 0, 161, 161}, 23, 23);
    for (uint32_t pixel : out) {
        ASSERT_NEAR(qGreen(pixel), 127.5, 8.0);
    }
}

TEST(CatmullRom, RefusesUnusableSizes) {
    std::vector<uint32_t> pixels(16, 0xFF000000);
    std::vector<uint32_t> out(4, 0x12345678);
    const argb_source_stu source{pixels.data(), 4, 4, 4};
    const argb_target_stu target{out.data(), 2, 2, 2};
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(ResampleCatmullRom(source, {0, 0, 0, 4}, target));
    EXPECT_FALSE(ResampleCatmullRom(source, {0, 0, 4, -1}, target));
    EXPECT_FALSE(ResampleCatmullRom(source, {0, 0, inf, 4}, target));
    EXPECT_FALSE(ResampleCatmullRom(source, {std::nan(""), 0, 4, 4}, target));
    EXPECT_FALSE(ResampleCatmullRom({pixels.data(), 0, 4, 4}, {0, 0, 4, 4}, target));
    EXPECT_FALSE(ResampleCatmullRom(source, {0, 0, 4, 4}, {out.data(), 2, 0, 2}));
    EXPECT_EQ(out, std::vector<uint32_t>(4, 0x12345678));
}

TEST(CatmullRom, TransparentPixelsLendNoColourToTheirNeighbours) {
    // Invisible red beside opaque blue: resampling straight colour would tint the
    // blue edge red; premultiplied, invisible pixels carry no colour at all.
    CLogoImage image;
    TempFolder folder;
    ASSERT_TRUE(image.LoadImage(SavePng(
        MakeImage(400, 100,
                  [](int x, int) { return x < 200 ? qRgba(255, 0, 0, 0) : qRgba(0, 0, 255, 255); }),
        folder.Path() + "half.png")));
    const QImage out = image.RenderOutput({0, 0, 400, 100});
    ASSERT_EQ(out.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(out.constScanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            // Premultiplied: pure blue at any coverage has blue equal to alpha.
            ASSERT_EQ(qRed(line[x]), 0) << x << "," << y;
            ASSERT_EQ(qGreen(line[x]), 0) << x << "," << y;
            ASSERT_NEAR(qBlue(line[x]), qAlpha(line[x]), 1) << x << "," << y;
        }
    }
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + program;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

struct image_difference {
    double mean = 0;  // mean absolute difference per colour channel, in levels
    int max = 0;
};

image_difference Compare(const QImage& ours, const QImage& theirs) {
    image_difference d;
    long total = 0;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            for (int diff : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                total += std::abs(diff);
                d.max = std::max(d.max, std::abs(diff));
            }
        }
    }
    d.mean = static_cast<double>(total) / (3.0 * ours.width() * ours.height());
    return d;
}

TEST(CatmullRom, MatchesImageMagicksCatromResize) {
    const std::string convert = FindOnPath("convert");
    if (convert.empty()) {
        GTEST_SKIP() << "ImageMagick's convert is not on PATH; install imagemagick to compare "
                        "the resampler with it";
    }
    TempFolder folder;
    const QImage gradient = MakeImage(120, 80, [](int x, int y) {
        return qRgb(x * 255 / 119, y * 255 / 79, (x + y) * 255 / 198);
    });
    // Hard edges: coloured bands, a one-pixel grid and a diagonal step.
    const QImage edges = MakeImage(97, 61, [](int x, int y) {
        if (x % 16 == 0 || y % 12 == 0) {
            return qRgb(255, 255, 255);
        }
        if (x > y * 2) {
            return qRgb(200, 30, 40);
        }
        return (x / 8) % 2 == 0 ? qRgb(10, 20, 160) : qRgb(250, 220, 0);
    });
    struct compare_case {
        const char* name;
        const QImage* image;
        int width;
        int height;
        int max_error;
    };
    // ImageMagick's Q16 build clips the intermediate result between its two passes
    // to the channel range, this resampler does not; next to hard edges, where the
    // kernel overshoots, single pixels may differ by more than the average.
    const compare_case cases[] = {
        {"gradient-up", &gradient, 229, 151, 2}, {"gradient-down", &gradient, 37, 23, 2},
        {"edges-up", &edges, 300, 200, 20},      {"edges-down", &edges, 31, 19, 20},
        {"edges-mixed", &edges, 229, 51, 20},
    };
    for (const compare_case& c : cases) {
        SCOPED_TRACE(c.name);
        // ImageMagick leaves out taps past the border where this resampler repeats
        // the border pixel. Giving it the image with its border repeated a whole
        // image width and height on each side, and cutting the middle out of its
        // three-times-larger result, makes it apply the same rule.
        const int w = c.image->width();
        const int h = c.image->height();
        const QImage padded = MakeImage(3 * w, 3 * h, [&](int x, int y) {
            return c.image->pixel(std::clamp(x - w, 0, w - 1), std::clamp(y - h, 0, h - 1));
        });
        const std::string in = SavePng(padded, folder.Path() + c.name + "-in.png");
        const std::string out = folder.Path() + c.name + "-out.png";
        const std::string size =
            std::to_string(3 * c.width) + "x" + std::to_string(3 * c.height) + "!";
        const std::string middle = std::to_string(c.width) + "x" + std::to_string(c.height) + "+" +
                                   std::to_string(c.width) + "+" + std::to_string(c.height);
        const test::process_result run =
            test::RunProgram({convert, in, "-filter", "Catrom", "-resize", size, "-crop", middle,
                              "+repage", "-depth", "8", "PNG24:" + out});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        QImage theirs(QString::fromStdString(out));
        ASSERT_FALSE(theirs.isNull());
        ASSERT_EQ(theirs.width(), c.width);
        ASSERT_EQ(theirs.height(), c.height);

        QImage ours(c.width, c.height, QImage::Format_ARGB32_Premultiplied);
        const std::vector<uint32_t> pixels =
            Resample(Pixels(*c.image), w, h, {0, 0, double(w), double(h)}, c.width, c.height);
        for (int y = 0; y < c.height; ++y) {
            std::copy_n(pixels.begin() + y * c.width, c.width,
                        reinterpret_cast<uint32_t*>(ours.scanLine(y)));
        }
        const image_difference d = Compare(ours, theirs.convertToFormat(QImage::Format_RGB32));
        EXPECT_LT(d.mean, 1.5) << "max " << d.max;
        EXPECT_LE(d.max, c.max_error) << "mean " << d.mean;
    }
}

// ---------------------------------------------------------------- output files

TEST(LogoOutputName, SplitsTheFileNameAtItsFirstDotAroundTheTime) {
    struct name_case {
        const char* source;
        int hour, minute, second;
        const char* name;
    };
    const name_case cases[] = {
        {"/d/img/brand.logo.png", 14, 5, 9, "brand-14-05-09.logo.png"},
        {"logo.png", 0, 0, 0, "logo-00-00-00.png"},
        {"/tmp/no-extension", 23, 59, 59, "no-extension-23-59-59"},
        {"/tmp/.hidden.jpg", 1, 2, 3, "-01-02-03.hidden.jpg"},
        {"/tmp/dotted.folder/plain.bmp", 7, 30, 0, "plain-07-30-00.bmp"},
    };
    for (const name_case& c : cases) {
        EXPECT_EQ(LogoOutputName(c.source, c.hour, c.minute, c.second), c.name) << c.source;
    }
}

// The first luminance quantiser of a baseline JPEG: 2 at quality 95 with the
// standard tables, 8 at the encoder's default of 75.
int FirstQuantiser(const std::string& jpeg) {
    const size_t marker = jpeg.find("\xFF\xDB");
    if (marker == std::string::npos || marker + 5 >= jpeg.size()) {
        return -1;
    }
    return static_cast<unsigned char>(jpeg[marker + 5]);
}

QImage ReadJpeg(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), "jpeg") << path;
    return reader.read();
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(PrepareLogo, AnImageThatFitsIsTheLogoItselfUntouched) {
    TempFolder folder;
    const std::string source = SavePng(Solid(229, 51, qRgb(1, 2, 3)), folder.Path() + "fits.png");
    const std::string before = test::ReadWholeFile(source);
    const logo_result_stu result = PrepareLogo(folder.Path(), source, std::nullopt);
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.path, source);
    EXPECT_EQ(test::ReadWholeFile(source), before);
    EXPECT_FALSE(test::FileExists(folder.Path() + kLogoOutputFolder));
}

TEST(PrepareLogo, ALargerImageIsCroppedIntoANewJpegOfLogoSize) {
    TempFolder folder;
    // Left half red, right half blue, so where the box sat shows in the output.
    const QImage halves = MakeImage(
        1000, 500, [](int x, int) { return x < 500 ? qRgb(220, 0, 0) : qRgb(0, 0, 220); });
    const std::string source = SavePng(halves, folder.Path() + "brand.logo.png");
    const std::string program = folder.Path() + "program";  // no trailing slash
    ASSERT_TRUE(std::filesystem::create_directory(program));

    const logo_result_stu centred = PrepareLogo(program, source, std::nullopt);
    ASSERT_TRUE(centred.ok) << centred.message;
    const std::regex name(std::string("^") + program +
                          "/ModifyPicture/brand-\\d\\d-\\d\\d-\\d\\d\\.logo\\.png$");
    EXPECT_TRUE(std::regex_match(centred.path, name)) << centred.path;
    const QImage out = ReadJpeg(centred.path);
    ASSERT_EQ(out.size(), QSize(kLogoWidth, kLogoHeight));
    EXPECT_GT(qRed(out.pixel(20, 25)), 180);
    EXPECT_GT(qBlue(out.pixel(kLogoWidth - 20, 25)), 180);
    EXPECT_EQ(FirstQuantiser(test::ReadWholeFile(centred.path)), 2);

    const logo_result_stu cornered = PrepareLogo(program, source, logo_pointf_stu{900, 480});
    ASSERT_TRUE(cornered.ok) << cornered.message;
    const QImage blue = ReadJpeg(cornered.path);
    ASSERT_EQ(blue.size(), QSize(kLogoWidth, kLogoHeight));
    EXPECT_GT(qBlue(blue.pixel(0, 0)), 180);
    EXPECT_LT(qRed(blue.pixel(0, 0)), 40);
}

TEST(PrepareLogo, AStripLowerThanTheLogoIsStretchedToItsHeight) {
    TempFolder folder;
    // Rows 0-19 black, 20-39 white: stretched to 51 rows the change sits near row 25.
    const QImage strip =
        MakeImage(300, 40, [](int, int y) { return y < 20 ? qRgb(0, 0, 0) : qRgb(255, 255, 255); });
    const logo_result_stu result =
        PrepareLogo(folder.Path(), SavePng(strip, folder.Path() + "strip.png"), std::nullopt);
    ASSERT_TRUE(result.ok) << result.message;
    const QImage out = ReadJpeg(result.path);
    ASSERT_EQ(out.size(), QSize(kLogoWidth, kLogoHeight));
    EXPECT_LT(qGray(out.pixel(100, 21)), 40);
    EXPECT_GT(qGray(out.pixel(100, 29)), 215);
}

TEST(PrepareLogo, TransparencyBecomesWhiteInTheJpeg) {
    TempFolder folder;
    const QImage clear = Solid(400, 100, qRgba(0, 0, 0, 0));
    const logo_result_stu result =
        PrepareLogo(folder.Path(), SavePng(clear, folder.Path() + "clear.png"), std::nullopt);
    ASSERT_TRUE(result.ok) << result.message;
    const QImage out = ReadJpeg(result.path);
    ASSERT_FALSE(out.isNull());
    EXPECT_GT(qGray(out.pixel(114, 25)), 250);
}

TEST(PrepareLogo, FilesThatAreNoReadableImageAreRefusedWithTheOperatorsMessage) {
    TempFolder folder;
    WriteText(folder.Path() + "notes.png", "just some text\n");
    const std::string png = test::ReadWholeFile(
        SavePng(MakeImage(800, 300, [](int x, int y) { return qRgb(x % 256, y % 256, 7); }),
                folder.Path() + "whole.png"));
    WriteText(folder.Path() + "truncated.png", png.substr(0, png.size() / 3));
    WriteText(folder.Path() + "empty.jpg", "");

    for (const std::string name : {"notes.png", "truncated.png", "empty.jpg", "missing.png", ""}) {
        const logo_result_stu result =
            PrepareLogo(folder.Path(), folder.Path() + name, std::nullopt);
        EXPECT_FALSE(result.ok) << name;
        EXPECT_EQ(result.message, kLoadFailedMessage) << name;
        EXPECT_TRUE(result.path.empty()) << name;
    }
    EXPECT_FALSE(test::FileExists(folder.Path() + kLogoOutputFolder));
}

TEST(PrepareLogo, AFailedWriteIsReportedAndLeavesNoFile) {
    TempFolder folder;
    const std::string source = SavePng(Solid(400, 100, qRgb(9, 9, 9)), folder.Path() + "big.png");
    // The output folder's name is taken by a file.
    WriteText(folder.Path() + kLogoOutputFolder, "in the way");
    const logo_result_stu blocked = PrepareLogo(folder.Path(), source, std::nullopt);
    EXPECT_FALSE(blocked.ok);
    EXPECT_FALSE(blocked.message.empty());
    EXPECT_TRUE(blocked.path.empty());
    EXPECT_EQ(FilesIn(folder.Path()).size(), 2u);  // the source and the file in the way

    const logo_result_stu odd_centre = PrepareLogo(
        folder.Path(), source, logo_pointf_stu{std::numeric_limits<double>::infinity(), 3});
    EXPECT_FALSE(odd_centre.ok);
    EXPECT_FALSE(odd_centre.message.empty());
}

TEST(WriteLogoOutput, ASmallImageIsSavedWholeUnderANewName) {
    TempFolder folder;
    // Re-editing a logo that was cropped before: the 229 x 51 JPEG counts as small.
    const logo_result_stu first = PrepareLogo(
        folder.Path(), SavePng(Solid(500, 200, qRgb(0, 120, 0)), folder.Path() + "g.png"),
        std::nullopt);
    ASSERT_TRUE(first.ok) << first.message;

    CLogoImage again;
    ASSERT_TRUE(again.LoadImage(first.path));
    EXPECT_TRUE(again.IsSmall());
    std::filesystem::rename(first.path, folder.Path() + "cropped.png");
    ASSERT_TRUE(again.LoadImage(folder.Path() + "cropped.png"));
    const logo_result_stu second = WriteLogoOutput(folder.Path(), again, {});
    ASSERT_TRUE(second.ok) << second.message;
    EXPECT_EQ(ReadJpeg(second.path).size(), QSize(kLogoWidth, kLogoHeight));

    CLogoImage smaller;
    ASSERT_TRUE(smaller.LoadImage(
        SavePng(Solid(200, 40, qRgb(200, 100, 0)), folder.Path() + "small.bmp.png")));
    const logo_result_stu whole = WriteLogoOutput(folder.Path(), smaller, {});
    ASSERT_TRUE(whole.ok) << whole.message;
    EXPECT_EQ(ReadJpeg(whole.path).size(), QSize(200, 40));
    EXPECT_EQ(FilesIn(folder.Path() + kLogoOutputFolder).size(), 2u);

    // The dialog's own route: the box of a fresh view rendered to the logo size.
    CLogoImage large;
    ASSERT_TRUE(large.LoadImage(folder.Path() + "g.png"));
    const crop_view_stu view = LoadCropView(large.Size(), kDialogClient);
    const QImage rendered = large.RenderOutput(CropSourceRect(view));
    EXPECT_EQ(rendered.size(), QSize(kLogoWidth, kLogoHeight));
    EXPECT_TRUE(CLogoImage().RenderOutput({0, 0, 10, 10}).isNull());
    EXPECT_TRUE(large.RenderOutput({}).isNull());
}

}  // namespace
}  // namespace plindar
