// Test images and rendering helpers of the widget tests.
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <cstdint>
#include <cstdlib>

namespace plindar::test {

namespace {

// GIF building blocks. Two palette entries need a minimum code size of 2: codes 0..3
// are pixels, 4 clears the table, 5 ends the data, and codes are 3 bits wide.
constexpr int kMinCodeSize = 2;
constexpr int kClearCode = 4;
constexpr int kEndCode = 5;
constexpr int kCodeBits = 3;
// After a clear code, two pixel codes add only one table entry, so the code width
// never grows and no compression logic is needed.
constexpr int kPixelsPerClear = 2;
constexpr int kMaxSubBlock = 255;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
// Global colour table present, 1 bit of colour resolution, 2 entries.
constexpr uint8_t kScreenFlags = 0x80;

// Far outside every screen and window.
constexpr QPoint kNowhere(-10000, -10000);

void PutWord(QByteArray* out, int value) {
    out->append(static_cast<char>(value & 0xFF));
    out->append(static_cast<char>(value >> 8 & 0xFF));
}

void PutColour(QByteArray* out, const QColor& colour) {
    out->append(static_cast<char>(colour.red()));
    out->append(static_cast<char>(colour.green()));
    out->append(static_cast<char>(colour.blue()));
}

QByteArray PixelCodes(int pixel_count, int index) {
    QByteArray packed;
    uint32_t bits = 0;
    int bit_count = 0;
    auto put = [&](int code) {
        bits |= static_cast<uint32_t>(code) << bit_count;
        bit_count += kCodeBits;
        while (bit_count >= 8) {
            packed.append(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            bit_count -= 8;
        }
    };
    for (int i = 0; i < pixel_count; ++i) {
        if (i % kPixelsPerClear == 0) {
            put(kClearCode);
        }
        put(index);
    }
    put(kEndCode);
    if (bit_count > 0) {
        packed.append(static_cast<char>(bits & 0xFF));
    }
    return packed;
}

}  // namespace

std::string StageFolder() {
    const char* stage = std::getenv("PLINDAR_STAGE_DIR");
    if (stage != nullptr && *stage != '\0') {
        return std::string(stage) + "/";
    }
    return PLINDAR_SOURCE_RESOURCES;
}

QString WriteSolidPng(const std::string& folder, const QString& name, QSize size,
                      const QColor& colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QString path = QString::fromStdString(folder) + name;
    image.save(path, "PNG");
    return path;
}

QString WriteBytes(const std::string& folder, const QString& name, const QByteArray& bytes) {
    const QString path = QString::fromStdString(folder) + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QByteArray EncodeGif(QSize size, const std::vector<int>& frames, int delay_cs) {
    QByteArray out("GIF89a");
    PutWord(&out, size.width());
    PutWord(&out, size.height());
    out.append(static_cast<char>(kScreenFlags));
    out.append('\0');  // background colour index
    out.append('\0');  // pixel aspect ratio: none given
    PutColour(&out, kGifFirstColour);
    PutColour(&out, kGifSecondColour);
    for (int index : frames) {
        out.append(static_cast<char>(kExtensionIntroducer));
        out.append(static_cast<char>(kGraphicControlLabel));
        out.append('\4');
        out.append('\0');  // no disposal, no transparency
        PutWord(&out, delay_cs);
        out.append('\0');  // transparent index (unused)
        out.append('\0');
        out.append(static_cast<char>(kImageSeparator));
        PutWord(&out, 0);
        PutWord(&out, 0);
        PutWord(&out, size.width());
        PutWord(&out, size.height());
        out.append('\0');  // no local colour table, not interlaced
        out.append(static_cast<char>(kMinCodeSize));
        const QByteArray codes = PixelCodes(size.width() * size.height(), index);
        for (qsizetype at = 0; at < codes.size(); at += kMaxSubBlock) {
            const QByteArray block = codes.mid(at, kMaxSubBlock);
            out.append(static_cast<char>(block.size()));
            out.append(block);
        }
        out.append('\0');
    }
    out.append(static_cast<char>(kTrailer));
    return out;
}

QImage Render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance &&
           std::abs(a.alpha() - b.alpha()) <= tolerance;
}

int CountNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (Near(image.pixelColor(x, y), colour, tolerance)) {
                ++count;
            }
        }
    }
    return count;
}

bool ShowActive(QWidget* widget) {
    // The pointer stays where an earlier test left it, maybe where a control of this
    // window is about to appear: take it off every window first.
    QCursor::setPos(kNowhere);
    QCoreApplication::processEvents();
    widget->show();
    widget->activateWindow();
    if (!QTest::qWaitForWindowExposed(widget) || !QTest::qWaitForWindowActive(widget)) {
        return false;
    }
    QTest::mouseMove(widget, QPoint(widget->width() - 1, widget->height() - 1));
    return true;
}

}  // namespace plindar::test

namespace plindar::test {

void AnswerNextNote(int answer, note_seen* seen) {
    // Polls the modal stack: the box opens inside the call that the test makes
    // right after this one. The timer goes away with the answer.
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [answer, seen, poll] {
        auto* note = qobject_cast<CNoteDlg*>(QApplication::activeModalWidget());
        if (note == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen->shown = true;
        seen->title = note->TitleLabel()->text();
        seen->text = note->MessageLabel()->text();
        seen->cancel_visible = note->CancelButton()->isVisible();
        QTest::mouseClick(answer == kNoteOk ? note->OkButton() : note->CancelButton(),
                          Qt::LeftButton);
    });
    poll->start();
}

}  // namespace plindar::test
