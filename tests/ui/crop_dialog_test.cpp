// Cropping view and dialog: zoom limits and anchor, box and pan limits, the box
// keeping its region, reset, cursors, painting, the small-image mode, Apply's output
// against the engine's, the ways of leaving, load and save failures, and the texts.
#include "ui/crop/avatar_crop_dlg.h"
#include "ui/customize/crop_runner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/application_app.h"
#include "content/logo_image.h"
#include "records/language.h"
#include "support/temp_folder.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/crop/image_preview_ctrl.h"
#include "ui/note_dlg.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

// The view's size in the dialog.
constexpr QSize kViewSize(387, 118);
// Wider than the view's aspect: fitted to the full width, 387 x 116.
constexpr QSize kWideImage(1000, 300);
// Square: fitted to the full height, with the dark ground left and right of it.
constexpr QSize kSquareImage(600, 600);
constexpr QSize kSmallImage(200, 40);
constexpr int kNotch = 120;
constexpr unsigned kChineseLcid = 2052;
constexpr int kLeftOpen = -99;
constexpr int kSafetyNetMs = 30000;

const QColor kViewGround(40, 40, 40);
// 255 and 40 under black at 140 of 255.
const QColor kDimmedWhite(115, 115, 115);
const QColor kDimmedGround(18, 18, 18);

// A photograph stand-in: every place of it has its own colour, so a region can be
// told from its neighbours after resampling and JPEG.
QImage Gradient(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int blue = 128 + static_cast<int>(100 * std::sin(x / 40.0) * std::cos(y / 30.0));
            image.setPixel(x, y,
                           qRgb(255 * x / (size.width() - 1), 255 * y / (size.height() - 1), blue));
        }
    }
    return image;
}

// One-pixel black and white squares: grey when smoothed, crisp when not.
QImage Checkerboard(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, (x + y) % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return image;
}

QString SaveImage(const QImage& image, const std::string& folder, const QString& name) {
    const QString path = QString::fromStdString(folder) + name;
    EXPECT_TRUE(image.save(path, "PNG")) << path;
    return path;
}

// Mean difference per channel, or a large value for images of different sizes.
double MeanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1e9;
    }
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

QImage ReadJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.peek(2).startsWith("\xFF\xD8")) {
        return {};  // not a JPEG, whatever its name says
    }
    QImage image;
    image.load(&file, "JPEG");
    return image;
}

void Wheel(QWidget* widget, QPoint at, int delta) {
    QWheelEvent event(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

QPoint Centre(const QRect& r) {
    return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
}

QRect Visible(const CImagePreviewCtrl& view) {
    return view.ImageRect().intersected(view.rect());
}

QPointF SourceCentre(const CImagePreviewCtrl& view) {
    const logo_rectf_stu r = view.CropSource();
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// The view as the dialog holds it, on an image written for the test.
class CropViewTest : public ::testing::Test {
protected:
    void Load(const QImage& image) {
        view_.resize(kViewSize);
        ASSERT_TRUE(view_.LoadImage(SaveImage(image, folder_.Path(), "source.png")));
    }

    test::TempFolder folder_;
    CImagePreviewCtrl view_;
};

TEST_F(CropViewTest, WheelZoomStopsAtItsLimitsAndFurtherStepsChangeNothing) {
    struct Case {
        int delta;
        int steps;
        double zoom;  // expected, or negative: strictly between the limits
    } const cases[] = {
        {kNotch, 16, -1},  {kNotch, 17, kMaxZoom},  {kNotch, 20, kMaxZoom},
        {-kNotch, 11, -1}, {-kNotch, 12, kMinZoom}, {-kNotch, 15, kMinZoom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.delta << " x " << c.steps);
        Load(Gradient(kWideImage));
        crop_view_stu at_limit;
        for (int i = 0; i < c.steps; ++i) {
            Wheel(&view_, Centre(view_.ImageRect()), c.delta);
            if (i == c.steps - 2) {
                at_limit = view_.Layout();
            }
        }
        if (c.zoom < 0) {
            EXPECT_GT(view_.Layout().zoom, kMinZoom);
            EXPECT_LT(view_.Layout().zoom, kMaxZoom);
            continue;
        }
        EXPECT_EQ(view_.Layout().zoom, c.zoom);
        if (c.steps > (c.delta > 0 ? 17 : 12)) {
            // Steps past the limit leave the whole layout as it was.
            EXPECT_EQ(view_.Layout().image_rect, at_limit.image_rect);
            EXPECT_EQ(view_.Layout().crop_box, at_limit.crop_box);
        }
    }
}

TEST_F(CropViewTest, ZoomKeepsTheImagePointUnderThePointer) {
    struct Case {
        const char* name;
        QSize image;
        QPoint pointer;
        int delta;
        int steps;
    } const cases[] = {
        {"in near the top-left", kWideImage, {20, 10}, kNotch, 6},
        {"in near the bottom-right", kWideImage, {370, 110}, kNotch, 9},
        {"in over the box", kWideImage, {193, 58}, kNotch, 17},
        {"out near the left", kWideImage, {60, 40}, -kNotch, 3},
        {"in on a square image", kSquareImage, {150, 30}, kNotch, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(Gradient(c.image));
        ASSERT_TRUE(view_.ImageRect().contains(c.pointer));
        for (int i = 0; i < c.steps; ++i) {
            const QRect before = view_.ImageRect();
            const double s = static_cast<double>(before.width()) / c.image.width();
            const double image_x = (c.pointer.x() - before.left()) / s;
            const double image_y = (c.pointer.y() - before.top()) / s;
            Wheel(&view_, c.pointer, c.delta);
            const QRect now = view_.ImageRect();
            ASSERT_NE(now, before) << "step " << i;
            const double new_s = static_cast<double>(now.width()) / c.image.width();
            // Within the pixel the placement rounds to.
            EXPECT_NEAR(now.left() + image_x * new_s, c.pointer.x(), 1.0) << "step " << i;
            EXPECT_NEAR(now.top() + image_y * new_s, c.pointer.y(), 1.0) << "step " << i;
        }
    }
}

TEST_F(CropViewTest, WheelOffTheImageZoomsAboutTheImageCentre) {
    Load(Gradient(kSquareImage));
    const QPoint off_image(5, 60);
    ASSERT_FALSE(view_.ImageRect().contains(off_image));
    const QPoint centre = Centre(view_.ImageRect());
    Wheel(&view_, off_image, kNotch);
    Wheel(&view_, off_image, kNotch);
    EXPECT_GT(view_.Layout().zoom, 1.0);
    EXPECT_LE((Centre(view_.ImageRect()) - centre).manhattanLength(), 2);
}

TEST_F(CropViewTest, WheelTurnsSmallerThanANotchAddUpToOneStep) {
    Load(Gradient(kWideImage));
    const QPoint at = Centre(view_.ImageRect());
    for (int i = 0; i < 3; ++i) {
        Wheel(&view_, at, kNotch / 4);
    }
    EXPECT_EQ(view_.Layout().zoom, 1.0);
    Wheel(&view_, at, kNotch / 4);
    EXPECT_DOUBLE_EQ(view_.Layout().zoom, kZoomStep);
}

TEST_F(CropViewTest, DraggedBoxStopsAtTheEdgeOfTheVisibleImage) {
    struct Case {
        const char* name;
        int zoom_steps;  // in, about the view's centre, before the drag
        QPoint moved;
    } const cases[] = {
        {"right", 0, {2000, 0}},
        {"left", 0, {-2000, 0}},
        {"down", 0, {0, 2000}},
        {"up", 0, {0, -2000}},
        {"right, zoomed in", 6, {2000, 0}},
        {"up-left, zoomed in", 6, {-2000, -2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(Gradient(kWideImage));
        for (int i = 0; i < c.zoom_steps; ++i) {
            Wheel(&view_, Centre(view_.rect()), kNotch);
        }
        const QRect box = view_.CropBox();
        const QRect visible = Visible(view_);
        ASSERT_FALSE(box.isEmpty());
        Drag(&view_, Centre(box), Centre(box) + c.moved);
        const QRect after = view_.CropBox();
        EXPECT_EQ(after.size(), box.size());
        EXPECT_TRUE(visible.contains(after));
        if (c.moved.x() > 0) {
            EXPECT_EQ(after.right(), visible.right());
        }
        if (c.moved.x() < 0) {
            EXPECT_EQ(after.left(), visible.left());
        }
        if (c.moved.y() > 0) {
            EXPECT_EQ(after.bottom(), visible.bottom());
        }
        if (c.moved.y() < 0) {
            EXPECT_EQ(after.top(), visible.top());
        }
        if (c.moved.y() == 0) {
            EXPECT_EQ(after.top(), box.top());
        }
    }
}

TEST_F(CropViewTest, PanningFarAwayLeavesFiftyPixelsInView) {
    struct Case {
        QPoint moved;
        std::function<int(const QRect&)> edge;
        int expected;
    } const cases[] = {
        {{3000, 0}, [](const QRect& r) { return r.left(); }, kViewSize.width() - 50},
        {{-3000, 0}, [](const QRect& r) { return r.right() + 1; }, 50},
        {{0, 3000}, [](const QRect& r) { return r.top(); }, kViewSize.height() - 50},
        {{0, -3000}, [](const QRect& r) { return r.bottom() + 1; }, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.moved.x() << "," << c.moved.y());
        Load(Gradient(kWideImage));
        // A corner of the image, away from the centred box.
        const QPoint grip = view_.ImageRect().topLeft() + QPoint(10, 10);
        ASSERT_FALSE(view_.CropBox().contains(grip));
        Drag(&view_, grip, grip + c.moved);
        EXPECT_EQ(c.edge(view_.ImageRect()), c.expected);
        EXPECT_EQ(view_.ImageRect().size(), QSize(387, 116));
        // The box is still on what is left of the image.
        EXPECT_FALSE(view_.CropBox().isEmpty());
        EXPECT_TRUE(Visible(view_).contains(view_.CropBox()));
    }
}

TEST_F(CropViewTest, BoxKeepsCoveringTheSameRegionThroughPanZoomAndResize) {
    const QImage image = Gradient(kWideImage);
    Load(image);
    const QPoint box_centre = Centre(view_.CropBox());
    Drag(&view_, box_centre, box_centre + QPoint(70, -20));
    const QPointF region = SourceCentre(view_);
    ASSERT_GT(std::abs(region.x() - kWideImage.width() / 2.0), 150.0);
    // Painted once already, so that each step paints over an earlier picture.
    test::Render(&view_);

    struct Step {
        const char* name;
        std::function<void()> act;
    } const steps[] = {
        {"pan",
         [this] {
             const QPoint grip = view_.ImageRect().topLeft() + QPoint(10, 10);
             Drag(&view_, grip, grip + QPoint(-40, 12));
         }},
        {"zoom in at the box",
         [this] {
             for (int i = 0; i < 3; ++i) {
                 Wheel(&view_, Centre(view_.CropBox()), kNotch);
             }
         }},
        {"zoom out elsewhere",
         [this] {
             for (int i = 0; i < 4; ++i) {
                 Wheel(&view_, view_.ImageRect().topLeft() + QPoint(30, 30), -kNotch);
             }
         }},
        {"resize larger", [this] { view_.resize(480, 160); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        // Rendering also delivers a resize that is pending on a hidden view.
        const QImage painted = test::Render(&view_);
        // What is painted in the box is that region of the image.
        const QPoint source = SourceCentre(view_).toPoint();
        EXPECT_TRUE(
            test::Near(painted.pixelColor(Centre(view_.CropBox())), image.pixelColor(source), 12))
            << painted.pixelColor(Centre(view_.CropBox())).name().toStdString() << " for "
            << image.pixelColor(source).name().toStdString();
        const double s = DisplayScale(view_.Layout());
        ASSERT_GT(s, 0.0);
        // Screen positions are whole pixels: the region may move by about one of them.
        const double slack = 1.5 / s;
        EXPECT_NEAR(SourceCentre(view_).x(), region.x(), slack);
        EXPECT_NEAR(SourceCentre(view_).y(), region.y(), slack);
        EXPECT_NEAR(view_.CropSource().width, kLogoWidth, 1.0 / s);
        EXPECT_NEAR(view_.CropSource().height, kLogoHeight, 1.0 / s);
    }
}

TEST_F(CropViewTest, DoubleClickOnTheImageResetsButNotOnTheBox) {
    Load(Gradient(kWideImage));
    const QRect first_box = view_.CropBox();
    const auto disturb = [this] {
        for (int i = 0; i < 4; ++i) {
            Wheel(&view_, QPoint(100, 40), kNotch);
        }
        Drag(&view_, Centre(view_.CropBox()), Centre(view_.CropBox()) + QPoint(30, 10));
        const QPoint grip(5, 5);
        Drag(&view_, grip, grip + QPoint(25, 7));
    };

    disturb();
    const crop_view_stu disturbed = view_.Layout();
    ASSERT_NE(disturbed.zoom, 1.0);
    QTest::mouseDClick(&view_, Qt::LeftButton, {}, Centre(view_.CropBox()));
    QTest::mouseRelease(&view_, Qt::LeftButton, {}, Centre(view_.CropBox()));
    EXPECT_EQ(view_.Layout().zoom, disturbed.zoom);
    EXPECT_EQ(view_.Layout().crop_box, disturbed.crop_box);

    const QPoint off_box(5, 5);
    ASSERT_FALSE(view_.CropBox().contains(off_box));
    QTest::mouseDClick(&view_, Qt::LeftButton, {}, off_box);
    QTest::mouseRelease(&view_, Qt::LeftButton, {}, off_box);
    EXPECT_EQ(view_.Layout().zoom, 1.0);
    EXPECT_EQ(view_.Layout().pan.x, 0);
    EXPECT_EQ(view_.Layout().pan.y, 0);
    EXPECT_EQ(view_.CropBox(), first_box);
    EXPECT_FALSE(view_.Layout().crop_centre.has_value());
}

TEST_F(CropViewTest, CursorTellsWhatAPressWouldMove) {
    Load(Gradient(kSquareImage));
    ASSERT_TRUE(test::ShowActive(&view_));
    const QPoint on_image = view_.ImageRect().topLeft() + QPoint(3, 3);
    const struct {
        const char* name;
        QPoint at;
        Qt::CursorShape shape;
    } probes[] = {
        {"box", Centre(view_.CropBox()), Qt::SizeAllCursor},
        {"image", on_image, Qt::PointingHandCursor},
        {"ground", QPoint(3, 60), Qt::ArrowCursor},
    };
    for (const auto& probe : probes) {
        QTest::mouseMove(&view_, probe.at);
        EXPECT_EQ(view_.cursor().shape(), probe.shape) << probe.name;
    }
    // A pan shows the move arrows wherever the pointer goes.
    QTest::mousePress(&view_, Qt::LeftButton, {}, on_image);
    QTest::mouseMove(&view_, QPoint(3, 60));
    EXPECT_EQ(view_.cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseRelease(&view_, Qt::LeftButton, {}, QPoint(3, 60));
}

TEST_F(CropViewTest, PaintDimsAroundTheBoxOutlinesItAndSmoothsALargeImage) {
    QImage white(kSquareImage, QImage::Format_RGB32);
    white.fill(Qt::white);
    Load(white);
    const QRect box = view_.CropBox();
    const QRect shown = view_.ImageRect();
    QImage painted = test::Render(&view_);
    const struct {
        const char* name;
        QPoint at;
        QColor colour;
    } probes[] = {
        {"inside the box", Centre(box), Qt::white},
        {"on the outline", QPoint(box.left(), Centre(box).y()), Qt::white},
        {"image above the box", QPoint(Centre(box).x(), shown.top() + 2), kDimmedWhite},
        {"image beside the box", QPoint(shown.left() + 2, Centre(box).y()), kDimmedWhite},
        {"ground", QPoint(2, 2), kDimmedGround},
    };
    for (const auto& probe : probes) {
        EXPECT_TRUE(test::Near(painted.pixelColor(probe.at), probe.colour, 3))
            << probe.name << ": " << painted.pixelColor(probe.at).name().toStdString();
    }

    // Shrunk to 0.2 of its size, a one-pixel checkerboard is an even grey.
    Load(Checkerboard(kSquareImage));
    painted = test::Render(&view_);
    const QRect inside = view_.CropBox().adjusted(3, 3, -3, -3);
    ASSERT_FALSE(inside.isEmpty());
    EXPECT_EQ(test::CountNear(painted, inside, QColor(128, 128, 128), 24),
              inside.width() * inside.height());
}

TEST_F(CropViewTest, SmallImageShowsFrameAndNoteInsteadOfABoxAndStaysCrisp) {
    Load(Checkerboard(kSmallImage));
    EXPECT_TRUE(view_.IsSmall());
    const QRect shown = view_.ImageRect();
    EXPECT_EQ(shown.size(), kSmallImage);
    EXPECT_TRUE(view_.CropBox().isEmpty());

    QImage painted = test::Render(&view_);
    const QColor frame(180, 180, 180);
    EXPECT_TRUE(test::Near(painted.pixelColor(shown.left() - 1, Centre(shown).y()), frame, 0));
    EXPECT_TRUE(test::Near(painted.pixelColor(shown.right() + 1, Centre(shown).y()), frame, 0));
    EXPECT_TRUE(test::Near(painted.pixelColor(Centre(shown).x(), shown.top() - 1), frame, 0));
    EXPECT_TRUE(test::Near(painted.pixelColor(Centre(shown).x(), shown.bottom() + 1), frame, 0));
    // Nothing dimmed: the ground is the ground.
    EXPECT_TRUE(test::Near(painted.pixelColor(2, 2), kViewGround, 0));
    // The two lines of the note below the image, each in its colour.
    const int first_line = shown.bottom() + 3;
    const QRect first_band(0, first_line, kViewSize.width(), 14);
    const QRect second_band(0, first_line + 14, kViewSize.width(), kViewSize.height());
    EXPECT_GT(test::CountNear(painted, first_band, QColor(255, 220, 100), 10), 30);
    EXPECT_EQ(test::CountNear(painted, first_band, QColor(200, 200, 200), 10), 0);
    EXPECT_GT(test::CountNear(painted, second_band, QColor(200, 200, 200), 10), 30);

    // Zoomed in, each pixel becomes a block of pure black or white.
    for (int i = 0; i < 5; ++i) {
        Wheel(&view_, Centre(view_.ImageRect()), kNotch);
    }
    painted = test::Render(&view_);
    const QRect area = view_.ImageRect().intersected(view_.rect());
    ASSERT_GT(area.width(), kSmallImage.width());
    const int pure =
        test::CountNear(painted, area, Qt::black, 0) + test::CountNear(painted, area, Qt::white, 0);
    EXPECT_EQ(pure, area.width() * area.height());
}

TEST_F(CropViewTest, ImageThatDoesNotDecodeLeavesTheViewEmpty) {
    view_.resize(kViewSize);
    const QString path = test::WriteBytes(folder_.Path(), "broken.png", "\x89PNG not really");
    EXPECT_FALSE(view_.LoadImage(path));
    EXPECT_FALSE(view_.IsLoaded());
    EXPECT_TRUE(view_.ImageRect().isEmpty());
    Wheel(&view_, QPoint(100, 50), kNotch);
    Drag(&view_, QPoint(100, 50), QPoint(150, 60));
    const QImage painted = test::Render(&view_);
    EXPECT_EQ(test::CountNear(painted, painted.rect(), kViewGround, 0),
              painted.width() * painted.height());
}

// The dialog, run modally as the customization page runs it, writing into a program
// folder of its own.
class CropDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = CApplicationApp::GetApp();
        ASSERT_NE(app_, nullptr);
        saved_program_folder_ = app_->program_folder;
        app_->program_folder = program_.Path();
    }
    void TearDown() override {
        if (app_ != nullptr) {
            app_->program_folder = saved_program_folder_;
        }
        InitLanguage("/nonexistent/", kEnglishLcid);
    }

    QString Source(const QImage& image, const QString& name) {
        return SaveImage(image, sources_.Path(), name);
    }

    // Runs `dialog` and does `act` on it once its loop runs; a dialog the action
    // left open is ended with kLeftOpen.
    int RunModal(CAvatarCropDlg* dialog, const std::function<void(CAvatarCropDlg*)>& act) {
        QTimer::singleShot(0, dialog, [dialog, act] {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
            act(dialog);
        });
        QTimer::singleShot(kSafetyNetMs, dialog, [dialog] {
            if (dialog->isVisible()) {
                dialog->done(kLeftOpen);
            }
        });
        return dialog->exec();
    }

    std::string OutputFolder() const { return program_.Path() + kLogoOutputFolder; }

    CApplicationApp* app_ = nullptr;
    std::string saved_program_folder_;
    test::TempFolder program_;
    test::TempFolder sources_;
};

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

TEST_F(CropDialogTest, ApplyWritesWhatTheBoxCoversAsTheEngineWould) {
    const QImage image = Gradient(kWideImage);
    const QString source = Source(image, "brand.logo.png");
    CAvatarCropDlg dialog(source);
    std::optional<logo_pointf_stu> centre;
    const int result = RunModal(&dialog, [&centre](CAvatarCropDlg* d) {
        CImagePreviewCtrl* view = d->View();
        Drag(view, Centre(view->CropBox()), Centre(view->CropBox()) + QPoint(90, -30));
        centre = view->Layout().crop_centre;
        Click(d->ApplyButton());
    });
    ASSERT_EQ(result, QDialog::Accepted);
    ASSERT_TRUE(centre.has_value());

    const QFileInfo output(dialog.OutputPath());
    EXPECT_EQ(output.absolutePath(), QDir(QString::fromStdString(OutputFolder())).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^brand-\\d\\d-\\d\\d-\\d\\d\\.logo\\.png$"))
                    .match(output.fileName())
                    .hasMatch())
        << output.fileName();
    const QImage written = ReadJpeg(dialog.OutputPath());
    ASSERT_EQ(written.size(), QSize(kLogoWidth, kLogoHeight));

    // The engine's own output for the same centre, in a folder of its own.
    test::TempFolder reference_folder;
    const logo_result_stu same = PrepareLogo(reference_folder.Path(), source.toStdString(), centre);
    ASSERT_TRUE(same.ok) << same.message;
    EXPECT_LT(MeanDifference(written, ReadJpeg(QString::fromStdString(same.path))), 4.0);
    // ... and not the region the box started on.
    test::TempFolder centred_folder;
    const logo_result_stu centred =
        PrepareLogo(centred_folder.Path(), source.toStdString(), std::nullopt);
    ASSERT_TRUE(centred.ok) << centred.message;
    EXPECT_GT(MeanDifference(written, ReadJpeg(QString::fromStdString(centred.path))), 20.0);
}

TEST_F(CropDialogTest, SmallImageIsSavedWholeAsANewJpeg) {
    const QImage image = Gradient(kSmallImage);
    const QString source = Source(image, "small.png");
    CAvatarCropDlg dialog(source);
    const int result = RunModal(&dialog, [](CAvatarCropDlg* d) {
        EXPECT_TRUE(d->View()->IsSmall());
        EXPECT_TRUE(d->View()->CropBox().isEmpty());
        Click(d->ApplyButton());
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_NE(dialog.OutputPath(), source);
    EXPECT_TRUE(dialog.OutputPath().startsWith(QString::fromStdString(OutputFolder())));
    const QImage written = ReadJpeg(dialog.OutputPath());
    ASSERT_EQ(written.size(), kSmallImage);
    EXPECT_LT(MeanDifference(written, image), 4.0);
}

TEST_F(CropDialogTest, ThePageRunsThisDialogAndGetsWhatItWroteOrNothing) {
    const QString source = Source(Gradient(kWideImage), "page.png");
    for (bool apply : {true, false}) {
        QTimer::singleShot(0, [apply] {
            auto* dialog = qobject_cast<CAvatarCropDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the cropping dialog did not open";
            Click(apply ? dialog->ApplyButton() : dialog->CancelButton());
        });
        const std::optional<QString> output = RunCropDialog(source, nullptr);
        if (apply) {
            ASSERT_TRUE(output.has_value());
            EXPECT_TRUE(output->startsWith(QString::fromStdString(OutputFolder())));
            EXPECT_EQ(ReadJpeg(*output).size(), QSize(kLogoWidth, kLogoHeight));
        } else {
            EXPECT_FALSE(output.has_value());
        }
    }
}

TEST_F(CropDialogTest, EveryOtherWayOutIsRejectedAndWritesNothing) {
    const QString source = Source(Gradient(kWideImage), "brand.png");
    struct Case {
        const char* name;
        std::function<void(CAvatarCropDlg*)> act;
    } const cases[] = {
        {"Cancel", [](CAvatarCropDlg* d) { Click(d->CancelButton()); }},
        {"close button", [](CAvatarCropDlg* d) { Click(d->CloseButton()); }},
        {"window manager", [](CAvatarCropDlg* d) { d->close(); }},
        {"Enter and Escape, then Cancel",
         [](CAvatarCropDlg* d) {
             QTest::keyClick(d, Qt::Key_Return);
             QTest::keyClick(d, Qt::Key_Escape);
             QTest::keyClick(d->View(), Qt::Key_Enter);
             EXPECT_TRUE(d->isVisible());
             Click(d->CancelButton());
         }},
    };
    for (const Case& c : cases) {
        CAvatarCropDlg dialog(source);
        EXPECT_EQ(RunModal(&dialog, c.act), QDialog::Rejected) << c.name;
        EXPECT_TRUE(dialog.OutputPath().isEmpty()) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(OutputFolder()));
}

TEST_F(CropDialogTest, ImageThatDoesNotDecodeIsReportedWithApplyDisabled) {
    const QString source =
        test::WriteBytes(sources_.Path(), "photo.jpg", QByteArray("\xFF\xD8\xFF not a jpeg"));
    test::note_seen seen;
    test::AnswerNextNote(kNoteOk, &seen);
    CAvatarCropDlg dialog(source);
    const int result = RunModal(&dialog, [&seen](CAvatarCropDlg* d) {
        EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.shown; }));
        EXPECT_FALSE(d->ApplyButton()->isEnabled());
        EXPECT_FALSE(d->View()->IsLoaded());
        Click(d->ApplyButton());
        EXPECT_TRUE(d->isVisible());
        Click(d->CancelButton());
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(seen.title, QStringLiteral("Note"));
    EXPECT_EQ(seen.text,
              QStringLiteral("Image loading failed!Please confirm that the file format is "
                             "correct (supports PNG / JPG / BMP)."));
    EXPECT_FALSE(seen.cancel_visible);
    EXPECT_TRUE(dialog.OutputPath().isEmpty());
}

TEST_F(CropDialogTest, SaveThatFailsKeepsTheDialogOpenAndSaysWhy) {
    // The output folder cannot be made where a plain file stands.
    QFile blocker(QString::fromStdString(OutputFolder()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString source = Source(Gradient(kWideImage), "brand.png");
    test::note_seen seen;
    CAvatarCropDlg dialog(source);
    const int result = RunModal(&dialog, [&seen](CAvatarCropDlg* d) {
        test::AnswerNextNote(kNoteOk, &seen);
        Click(d->ApplyButton());
        EXPECT_TRUE(seen.shown);
        EXPECT_TRUE(d->isVisible());
        Click(d->CancelButton());
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(seen.text.contains(QString::fromStdString(OutputFolder()))) << seen.text;
    EXPECT_TRUE(dialog.OutputPath().isEmpty());
}

TEST_F(CropDialogTest, TitleNamesTheFileAndTextsFollowTheLanguage) {
    const struct {
        unsigned lcid;
        const char* file;
        const char* title;
        const char* apply;
        const char* hint_start;
    } cases[] = {
        {kEnglishLcid, "brand.logo.png", "Image Cropping - [brand.logo.png]", "Apply", "Supports"},
        // A name with placeholders in it is shown as it is.
        {kEnglishLcid, "50%s off %u.png", "Image Cropping - [50%s off %u.png]", "Apply",
         "Supports"},
        {kChineseLcid, "brand.png", "图片裁剪 - [brand.png]", "应用", "支持"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        InitLanguage(test::StageFolder(), c.lcid);
        CAvatarCropDlg dialog(Source(Gradient(kWideImage), QString::fromUtf8(c.file)));
        EXPECT_EQ(dialog.TitleLabel()->text(), QString::fromUtf8(c.title));
        EXPECT_EQ(dialog.ApplyButton()->text(), QString::fromUtf8(c.apply));
        EXPECT_TRUE(dialog.HintLabel()->text().startsWith(QString::fromUtf8(c.hint_start)));
        EXPECT_TRUE(dialog.ApplyButton()->isEnabled());
        RunModal(&dialog, [](CAvatarCropDlg* d) {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            EXPECT_LE((d->frameGeometry().center() - screen.center()).manhattanLength(), 2);
            Click(d->CancelButton());
        });
    }
}

}  // namespace
}  // namespace plindar
