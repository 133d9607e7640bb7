// Figures of the cropping view on a photograph-sized image, offscreen: the time to
// load it, and frames per second while the image is panned, the box dragged and the
// wheel zooms, each over a run of repaints that follow one event each.
//
//   bench_crop [--width W] [--height H] [--frames N]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/crop/image_preview_ctrl.h"

using namespace plindar;

namespace {

constexpr QSize kViewSize(387, 118);
constexpr int kDefaultWidth = 4000;
constexpr int kDefaultHeight = 3000;
constexpr int kDefaultFrames = 100;
constexpr int kJpegQuality = 90;
constexpr int kNotch = 120;
// Wheel steps in one direction before the run turns back: the whole zoom range.
constexpr int kZoomSweep = 17;

// Counts the paints the view really did, so a figure never times a repaint that
// Qt skipped.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

QImage Photograph(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double fy = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = static_cast<double>(x) / width;
            const int r = static_cast<int>(120 + 100 * std::sin(fx * 9) * std::cos(fy * 5));
            const int g = static_cast<int>(90 + 80 * fy + 40 * std::sin((fx + fy) * 20));
            const int b = static_cast<int>(160 - 100 * fx + 30 * std::cos(fy * 31));
            line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

struct frame_figures {
    double mean_ms = 0;
    double median_ms = 0;
    double worst_ms = 0;
    double fps = 0;
    int paints = 0;
};

// `step(i)` sends the i-th event; each is followed by a synchronous repaint.
frame_figures TimeFrames(CImagePreviewCtrl* view, PaintCounter* counter, int frames,
                         const std::function<void(int)>& step) {
    std::vector<double> ms;
    ms.reserve(frames);
    const int paints_before = counter->paints;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        view->repaint();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    frame_figures f;
    f.paints = counter->paints - paints_before;
    double total = 0;
    for (double v : ms) {
        total += v;
    }
    f.mean_ms = total / frames;
    std::sort(ms.begin(), ms.end());
    f.median_ms = ms[ms.size() / 2];
    f.worst_ms = ms.back();
    f.fps = total > 0 ? 1000.0 * frames / total : 0;
    return f;
}

void Print(const char* name, const frame_figures& f) {
    std::printf(
        "%-28s %8.1f fps   mean %6.2f ms   median %6.2f ms   worst %6.2f ms   (%d paints)\n", name,
        f.fps, f.mean_ms, f.median_ms, f.worst_ms, f.paints);
}

void Move(QWidget* view, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

void Button(QWidget* view, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

void Wheel(QWidget* view, QPoint at, int delta) {
    QWheelEvent event(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

QPoint Centre(const QRect& r) {
    return {r.left() + r.width() / 2, r.top() + r.height() / 2};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int frames = kDefaultFrames;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--width") == 0) {
            width = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--height") == 0) {
            height = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--frames") == 0) {
            frames = std::atoi(argv[i + 1]);
        }
    }
    if (width <= 0 || height <= 0 || frames <= 0) {
        std::fprintf(stderr, "usage: bench_crop [--width W] [--height H] [--frames N]\n");
        return 2;
    }
    QApplication app(argc, argv);

    char pattern[] = "/tmp/plindar-bench-crop-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    const QString path = QString::fromStdString(folder + "/photo.jpg");
    if (!Photograph(width, height).save(path, "JPEG", kJpegQuality)) {
        std::fprintf(stderr, "could not write the test photograph\n");
        return 1;
    }

    CImagePreviewCtrl view;
    view.resize(kViewSize);
    PaintCounter counter;
    view.installEventFilter(&counter);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "the view was never exposed\n");
        return 1;
    }

    QElapsedTimer load_timer;
    load_timer.start();
    if (!view.LoadImage(path)) {
        std::fprintf(stderr, "could not load the test photograph\n");
        return 1;
    }
    view.repaint();
    const double load_ms = load_timer.nsecsElapsed() / 1e6;

    std::printf("crop view %dx%d, image %dx%d JPEG, %d repaints per figure, platform %s\n",
                kViewSize.width(), kViewSize.height(), width, height, frames,
                qPrintable(QGuiApplication::platformName()));
    std::printf("%-28s %8.1f ms (decode, halved copies, first paint)\n", "load", load_ms);

    Print("repaint, nothing moved", TimeFrames(&view, &counter, frames, [](int) {}));

    // A pan there and back over the image: every frame lays the image out anew.
    const QPoint grip = view.ImageRect().topLeft() + QPoint(5, 5);
    Button(&view, QEvent::MouseButtonPress, grip);
    Print("pan drag", TimeFrames(&view, &counter, frames, [&](int i) {
              const int phase = i % 40;
              const int dx = phase < 20 ? phase * 4 : (40 - phase) * 4;
              Move(&view, grip + QPoint(dx, dx / 4));
          }));
    Button(&view, QEvent::MouseButtonRelease, grip);

    // Zoomed in so that the box is large enough to be dragged about.
    for (int i = 0; i < 12; ++i) {
        Wheel(&view, Centre(view.rect()), kNotch);
    }
    const QPoint box = Centre(view.CropBox());
    Button(&view, QEvent::MouseButtonPress, box);
    Print("box drag (zoom 5.35)", TimeFrames(&view, &counter, frames, [&](int i) {
              const int phase = i % 40;
              const int dx = phase < 20 ? phase * 6 : (40 - phase) * 6;
              Move(&view, box + QPoint(dx - 60, (dx - 60) / 6));
          }));
    Button(&view, QEvent::MouseButtonRelease, box);

    // Over the whole range and back, at a point of the image.
    const QPoint anchor = Centre(view.rect()) + QPoint(40, 10);
    Print("wheel zoom sweep", TimeFrames(&view, &counter, frames, [&](int i) {
              const bool in = (i / kZoomSweep) % 2 == 1;
              Wheel(&view, anchor, in ? kNotch : -kNotch);
          }));

    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return 0;
}
