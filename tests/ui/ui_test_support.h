// What the widget tests share: the staged program folder, test images written on
// the fly (solid PNGs and small GIFs), and reading back what a widget painted.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <ostream>
#include <string>
#include <vector>

class QWidget;

// Qt texts in test messages and in GoogleTest's failure output.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace plindar::test {

// The staged program folder (PLINDAR_STAGE_DIR), or the source tree's resources
// when the tests run outside CTest. Ends with a slash.
std::string StageFolder();

// A PNG of one colour in `folder`; returns its full path.
QString WriteSolidPng(const std::string& folder, const QString& name, QSize size,
                      const QColor& colour);
QString WriteBytes(const std::string& folder, const QString& name, const QByteArray& bytes);

// The two colours every test GIF uses, by palette index.
const QColor kGifFirstColour(255, 0, 0);
const QColor kGifSecondColour(0, 0, 255);

// A GIF89a of `size` with one frame per entry of `frames`, each frame filled with
// palette index 0 or 1, every frame shown `delay_cs` hundredths of a second. An
// empty list gives a well-formed GIF without frames.
QByteArray EncodeGif(QSize size, const std::vector<int>& frames, int delay_cs);

// What `widget` paints, as an image of its own size.
QImage Render(QWidget* widget);

// Colours equal within `tolerance` per channel (anti-aliasing, colour rounding).
bool Near(const QColor& a, const QColor& b, int tolerance = 8);

// Number of pixels in `area` of `image` that are near `colour`.
int CountNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 8);

// What the next message box said, and whether it came up at all.
struct note_seen {
    bool shown = false;
    QString title;
    QString text;
    bool cancel_visible = false;
};

// Answers the next message box with a click on its Ok (answer 1) or Cancel button
// once it is up, and records what it said in `seen`, which must outlive it.
void AnswerNextNote(int answer, note_seen* seen);

// Shows `widget`, waits until the platform has exposed and activated it, and puts
// the pointer in its bottom-right corner.
bool ShowActive(QWidget* widget);

}  // namespace plindar::test
