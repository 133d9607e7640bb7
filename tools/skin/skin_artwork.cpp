// Draws every image of the window's skin and encodes it in the format its file name gives.
//
// Everything is drawn from rectangles, ellipses, lines and our own letter outlines,
// never from fonts, so the images do not depend on what a machine has installed and
// the committed files can be checked against a fresh drawing. Buttons carry no
// captions: the window draws those over them in the operator's language.
#include "skin/skin_artwork.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "skin/letter_paths.h"

namespace plindar {
namespace {

// Colours of the shipped Setting.ini, which the pages paint around these images.
constexpr QRgb kWindowWhite = qRgb(255, 255, 255);    // ChildBkColor
constexpr QRgb kAccent = qRgb(216, 34, 40);           // TextDownColor
constexpr QRgb kLine = qRgb(215, 215, 215);           // LineColor
constexpr QRgb kGridHeader = qRgb(186, 199, 231);     // GridTitleBkColor
constexpr QRgb kGridHeaderText = qRgb(237, 112, 32);  // GridTitleTextColor
// Dialog text colour; the dark glyphs use it so they sit with the captions.
constexpr QRgb kInk = qRgb(68, 68, 79);
constexpr QRgb kTransparent = qRgba(0, 0, 0, 0);
// The icon list keys out pure white, so marks inside icons use a white one step off it.
constexpr QRgb kIconWhite = qRgb(252, 252, 252);
constexpr QRgb kSuccessGreen = qRgb(40, 160, 72);
constexpr QRgb kIdleGrey = qRgb(160, 160, 170);
// Work under way: the orange the grid already uses for its header text.
constexpr QRgb kOperatingOrange = kGridHeaderText;

// The filled buttons (start scan, the device list's three, confirm): the caption is
// white in every state, so even the disabled colour keeps enough depth for it.
struct state_colours_stu {
    QRgb fill;
    QRgb border;
};
enum ButtonState { STATE_NORMAL, STATE_OVER, STATE_DOWN, STATE_DISABLE, STATE_COUNT };
constexpr std::array<state_colours_stu, STATE_COUNT> kFilledStates = {{
    {kAccent, kAccent},
    {qRgb(234, 70, 76), qRgb(234, 70, 76)},
    {qRgb(170, 22, 28), qRgb(170, 22, 28)},
    {qRgb(236, 150, 153), qRgb(236, 150, 153)},
}};
// The cancel buttons: light, with a dark caption that turns red on hover and press,
// so the border and tint follow it into red.
constexpr std::array<state_colours_stu, STATE_COUNT> kOutlineStates = {{
    {kWindowWhite, qRgb(200, 200, 206)},
    {qRgb(253, 240, 240), kAccent},
    {qRgb(248, 220, 221), qRgb(170, 22, 28)},
    {qRgb(246, 246, 247), qRgb(225, 225, 228)},
}};
// The title-band buttons: a square that is darker than the band at rest, so it reads
// on the band and on the white template dialog alike, lighter when hovered.
constexpr std::array<QRgb, STATE_COUNT> kBandButtonFills = {qRgb(184, 26, 32), qRgb(238, 84, 88),
                                                            qRgb(140, 16, 22), qRgb(140, 16, 22)};

// Window geometry the backgrounds are drawn for.
constexpr int kWindowWidth = 817;
constexpr int kWindowHeight = 540;
constexpr int kTitleBandHeight = 48;  // the device list starts below it
constexpr QRect kAdapterPage(247, 126, 324, 288);
constexpr double kPageCorner = 4;  // the 8 x 8 corner ellipse of the rounded pages
constexpr int kVeilAlpha = 120;    // of 255; enough to push the list back, not hide it

// The product name on the title band, left-aligned with the page's first button.
constexpr std::string_view kProductName = "Plindar";
constexpr std::string_view kMakerName = "Zorvu";
constexpr double kTitleLetterUnit = 13;  // pixels per letter unit: 18 px capitals
constexpr double kTitleLeft = 24;
constexpr double kLogoLetterUnit = 21;  // 29 px capitals on the 48 px logo

// Corner radii by control height.
constexpr double kSmallCorner = 4;  // 24 px buttons and the chips
constexpr double kLargeCorner = 5;  // 27 and 28 px buttons
constexpr double kGlyphCorner = 3;  // 16 px title buttons

// The busy animation: a ring with a bright arc going round.
constexpr int kBusyFrames = 12;
constexpr uint16_t kBusyDelayCs = 8;  // 12 x 80 ms: one turn a second
constexpr int kBusySize = 16;
constexpr double kBusyRadius = 5.5;
constexpr double kBusyPen = 2.0;
constexpr double kBusyArcDegrees = 100;
constexpr int kBusyTrackAlpha = 80;
// Ink levels from the matte (index 0, transparent) to white: 16 keep the anti-aliased
// edges smooth and the colour table at four bits.
constexpr int kBusyLevels = 16;

constexpr int kJpegQuality = 92;

struct skin_size_stu {
    SkinImage image;
    int width;
    int height;
};

// Sizes of the controls that show each image. The three large buttons of the device
// list differ in width (96 to 142); their image is drawn for the widest and shrinks
// for the others, since a larger image is stretched and a smaller one is not.
constexpr std::array<skin_size_stu, SKIN_IMAGE_COUNT> kSizes = {{
    {SKIN_MAIN_BK_PNG, kWindowWidth, kWindowHeight},
    {SKIN_MAIN_BK_JPG, kWindowWidth, kWindowHeight},
    {SKIN_MAIN_BK3_JPG, kWindowWidth, kWindowHeight},
    {SKIN_WAIT_SEARCH_GIF, kBusySize, kBusySize},
    {SKIN_SCAN_BTN_NORMAL, 218, 24},
    {SKIN_SCAN_BTN_OVER, 218, 24},
    {SKIN_SCAN_BTN_DOWN, 218, 24},
    {SKIN_SCAN_BTN_DISABLE, 218, 24},
    {SKIN_LOGO, 220, 48},
    {SKIN_COMBOX_DOWN, 24, 24},
    {SKIN_PROTECTION_BTN_NORMAL, 142, 24},
    {SKIN_PROTECTION_BTN_OVER, 142, 24},
    {SKIN_PROTECTION_BTN_DOWN, 142, 24},
    {SKIN_PROTECTION_BTN_DISABLE, 142, 24},
    {SKIN_CHANGE_BTN_NORMAL, 48, 18},
    {SKIN_BTN_TEMPLATE, 136, 28},
    {SKIN_SELECT, 24, 24},
    {SKIN_UNSELECT, 24, 24},
    {SKIN_PART_SELECT, 24, 24},
    {SKIN_SUCCESS, 24, 24},
    {SKIN_ERROR, 24, 24},
    {SKIN_OPERATING, 24, 24},
    {SKIN_APPLY_BTN_NORMAL, 67, 27},
    {SKIN_APPLY_BTN_OVER, 67, 27},
    {SKIN_APPLY_BTN_DOWN, 67, 27},
    {SKIN_APPLY_BTN_DISABLE, 67, 27},
    {SKIN_CANCEL_BTN_NORMAL, 71, 27},
    {SKIN_CANCEL_BTN_OVER, 71, 27},
    {SKIN_CANCEL_BTN_DOWN, 71, 27},
    {SKIN_CHOOSE_BTN_NORMAL, 99, 28},
    {SKIN_BTN_INI_FILE, 209, 28},
    {SKIN_BTN_PIC_FILE, 209, 28},
    {SKIN_BTN_SWITCH_ON, 40, 20},
    {SKIN_BTN_SWITCH_OFF, 40, 20},
    {SKIN_BTN_CLOSE_NORMAL, 16, 16},
    {SKIN_BTN_CLOSE_OVER, 16, 16},
    {SKIN_BTN_CLOSE_DOWN, 16, 16},
    {SKIN_BTN_CLOSE_NORMAL2, 16, 16},
    {SKIN_BTN_CHILD_CLOSE, 16, 16},
    {SKIN_BTN_CHILD_CLOSE2, 16, 16},
    {SKIN_BTN_MIN_NORMAL, 16, 16},
    {SKIN_BTN_MIN_OVER, 16, 16},
    {SKIN_BTN_MIN_DOWN, 16, 16},
}};

// ---- drawing helpers -------------------------------------------------------------

QImage Canvas(QSize size, QRgb fill) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(fill));
    return image;
}

// A painter with anti-aliasing, as every shape here wants.
class SmoothPainter : public QPainter {
public:
    explicit SmoothPainter(QImage* image) : QPainter(image) {
        setRenderHint(QPainter::Antialiasing);
    }
};

QPen RoundPen(QRgb colour, double width) {
    return QPen(QColor::fromRgba(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A rounded body with a one-pixel border: the border sits on the pixel grid so it
// stays crisp, the corners stay smooth.
void RoundedBody(QPainter& p, QRectF box, double radius, state_colours_stu colours) {
    p.setPen(QPen(QColor::fromRgba(colours.border), 1));
    p.setBrush(QColor::fromRgba(colours.fill));
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// Draws `word` with its baseline at `baseline`, `unit` pixels per letter unit.
void Wordmark(QPainter& p, std::string_view word, QPointF baseline, double unit, QRgb colour) {
    p.save();
    p.translate(baseline);
    p.scale(unit, unit);
    p.setPen(RoundPen(colour, kLetterStroke));
    p.setBrush(Qt::NoBrush);
    p.drawPath(WordCentreLine(word));
    p.restore();
}

// The visual centre of a word's capitals sits on `middle_y`.
double BaselineFor(double middle_y, double unit) {
    return middle_y + kCapHeight * unit / 2;
}

void Cross(QPainter& p, QPointF centre, double half, QRgb colour, double width) {
    p.setPen(RoundPen(colour, width));
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

void Tick(QPainter& p, QPointF centre, double scale, QRgb colour, double width) {
    p.setPen(RoundPen(colour, width));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(centre + QPointF(-0.55, 0.0) * scale);
    tick.lineTo(centre + QPointF(-0.15, 0.4) * scale);
    tick.lineTo(centre + QPointF(0.6, -0.4) * scale);
    p.drawPath(tick);
}

// ---- backgrounds -----------------------------------------------------------------

void TitleBand(QPainter& p) {
    p.fillRect(QRect(0, 0, kWindowWidth, kTitleBandHeight), QColor::fromRgb(kAccent));
    Wordmark(p, kProductName,
             QPointF(kTitleLeft, BaselineFor(kTitleBandHeight / 2.0, kTitleLetterUnit)),
             kTitleLetterUnit, kWindowWhite);
}

QImage DeviceListBackground() {
    QImage image = Canvas({kWindowWidth, kWindowHeight}, kWindowWhite);
    SmoothPainter p(&image);
    TitleBand(p);
    return image;
}

// A quiet outline of the device list (buttons, grid header and rows, no text) so the
// dimmed backdrop reads as "the list is still there, behind this page".
void DeviceListSketch(QPainter& p) {
    constexpr int kPageTop = kTitleBandHeight;
    constexpr std::array<QRect, 3> kButtons = {QRect(24, kPageTop + 24, 140, 24),
                                               QRect(180, kPageTop + 24, 142, 24),
                                               QRect(700, kPageTop + 24, 96, 24)};
    for (const QRect& b : kButtons) {
        RoundedBody(p, b, kSmallCorner, kFilledStates[STATE_NORMAL]);
    }
    constexpr int kGridLeft = 24;
    constexpr int kGridTop = kPageTop + 92;
    constexpr std::array<int, 4> kColumnWidths = {63, 232, 341, 127};
    constexpr int kHeaderHeight = 38;
    constexpr int kRowHeight = 48;
    constexpr int kRows = 7;
    int grid_width = 0;
    for (int w : kColumnWidths) {
        grid_width += w;
    }
    p.fillRect(QRect(kGridLeft, kGridTop, grid_width, kHeaderHeight), QColor::fromRgb(kGridHeader));
    // Header captions as short bars in the header text colour.
    int x = kGridLeft;
    for (size_t c = 1; c < kColumnWidths.size(); ++c) {
        x += kColumnWidths[c - 1];
        p.fillRect(QRect(x + 8, kGridTop + 8, 44, 6), QColor::fromRgb(kGridHeaderText));
    }
    // Row statuses vary, as in a batch under way: mostly done, one running, one failed.
    constexpr std::array<QRgb, kRows> kRowStatus = {
        kSuccessGreen, kSuccessGreen, kOperatingOrange, kSuccessGreen,
        kAccent,       kSuccessGreen, kOperatingOrange};
    for (int r = 1; r <= kRows; ++r) {
        const int y = kGridTop + kHeaderHeight + r * kRowHeight;
        p.setPen(QPen(QColor::fromRgb(kLine), 1));
        p.drawLine(QPointF(kGridLeft, y - 0.5), QPointF(kGridLeft + grid_width, y - 0.5));
        const int middle = y - kRowHeight / 2;
        RoundedBody(p, QRectF(kGridLeft + 24, middle - 8, 16, 16), 3, {kWindowWhite, kIdleGrey});
        // Number and address as grey bars, the status as a disc, at their columns' starts.
        const int number_left = kGridLeft + kColumnWidths[0];
        const int address_left = number_left + kColumnWidths[1];
        const int status_left = address_left + kColumnWidths[2];
        p.fillRect(QRect(number_left + 8, middle - 3, 14, 6), QColor::fromRgb(kLine));
        p.fillRect(QRect(address_left + 8, middle - 3, 120, 6), QColor::fromRgb(kLine));
        const QRgb disc = kRowStatus[r - 1];
        RoundedBody(p, QRectF(status_left + 8, middle - 10, 20, 20), 10, {disc, disc});
    }
}

QImage DimmedBackground() {
    QImage image = DeviceListBackground();
    SmoothPainter p(&image);
    DeviceListSketch(p);
    p.fillRect(image.rect(), QColor(0, 0, 0, kVeilAlpha));
    return image;
}

// A soft shadow under the page: widening rounded rings of faint black, a little
// lower than the page, which reads as a blur without needing one.
void PageShadow(QPainter& p, QRect page) {
    constexpr int kShadowRings = 10;
    constexpr int kShadowAlpha = 5;
    constexpr double kShadowDrop = 3;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, kShadowAlpha));
    for (int ring = kShadowRings; ring >= 1; --ring) {
        const QRectF box =
            QRectF(page).adjusted(-ring, -ring + kShadowDrop, ring, ring + kShadowDrop);
        p.drawRoundedRect(box, kPageCorner + ring, kPageCorner + ring);
    }
}

// Behind the adapter page: light and open, with the name at the top left and a thin
// accent line, so the first screen is calm and the white page stands out.
QImage AdapterBackground() {
    QImage image = Canvas({kWindowWidth, kWindowHeight}, kWindowWhite);
    SmoothPainter p(&image);
    QLinearGradient wash(0, 0, 0, kWindowHeight);
    wash.setColorAt(0, QColor(247, 247, 249));
    wash.setColorAt(1, QColor(232, 234, 239));
    p.fillRect(image.rect(), wash);
    constexpr int kAccentLine = 4;
    p.fillRect(QRect(0, 0, kWindowWidth, kAccentLine), QColor::fromRgb(kAccent));
    Wordmark(p, kProductName,
             QPointF(kTitleLeft, BaselineFor(kTitleBandHeight / 2.0, kTitleLetterUnit)),
             kTitleLetterUnit, kAccent);
    PageShadow(p, kAdapterPage);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kWindowWhite));
    p.drawRoundedRect(QRectF(kAdapterPage), kPageCorner, kPageCorner);
    return image;
}

QImage Logo(QSize size) {
    QImage image = Canvas(size, kWindowWhite);
    SmoothPainter p(&image);
    const double width = WordWidth(kMakerName) * kLogoLetterUnit;
    Wordmark(p, kMakerName,
             QPointF((size.width() - width) / 2, BaselineFor(size.height() / 2.0, kLogoLetterUnit)),
             kLogoLetterUnit, kAccent);
    return image;
}

// ---- buttons ---------------------------------------------------------------------

double CornerFor(QSize size) {
    return size.height() > 24 ? kLargeCorner : kSmallCorner;
}

// A pressed filled button also gets a slightly darker top edge, as if pushed in.
QImage FilledButton(QSize size, ButtonState state, double radius) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    RoundedBody(p, QRectF(QPointF(0, 0), size), radius, kFilledStates[state]);
    if (state == STATE_DOWN) {
        p.setClipPath([&] {
            QPainterPath clip;
            clip.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
            return clip;
        }());
        p.fillRect(QRectF(0, 0, size.width(), 2), QColor(0, 0, 0, 40));
    }
    return image;
}

QImage OutlineButton(QSize size, ButtonState state, double radius) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    RoundedBody(p, QRectF(QPointF(0, 0), size), radius, kOutlineStates[state]);
    return image;
}

// "Change" is a link-like caption in red; a faint tint marks it as clickable.
QImage ChangeButton(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    RoundedBody(p, QRectF(QPointF(0, 0), size), size.height() / 2.0,
                {qRgb(252, 236, 237), qRgb(246, 210, 212)});
    return image;
}

// The template buttons: a secondary action beside the form, so outlined in the accent
// rather than filled; their caption belongs in the accent colour too.
QImage TemplateButton(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    RoundedBody(p, QRectF(QPointF(0, 0), size), kLargeCorner, {kWindowWhite, kAccent});
    return image;
}

// "Select" for the file choices: a filled button with a folder at the left, where the
// caption's leading blanks leave room for it.
QImage ChooseButton(QSize size) {
    QImage image = FilledButton(size, STATE_NORMAL, kLargeCorner);
    SmoothPainter p(&image);
    // A folder: tab at the back, a flap in front slanting open.
    constexpr double kFolderWidth = 16;
    constexpr double kFolderHeight = 12;
    const double top = (size.height() - kFolderHeight) / 2.0;
    const double left = 14;
    QPainterPath back;
    back.moveTo(left, top);
    back.lineTo(left + 6, top);
    back.lineTo(left + 7.5, top + 2);
    back.lineTo(left + kFolderWidth - 1, top + 2);
    back.lineTo(left + kFolderWidth - 1, top + kFolderHeight);
    back.lineTo(left, top + kFolderHeight);
    back.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawPath(back);
    QPainterPath flap;
    flap.moveTo(left + 2, top + 4.5);
    flap.lineTo(left + kFolderWidth, top + 4.5);
    flap.lineTo(left + kFolderWidth - 2, top + kFolderHeight);
    flap.lineTo(left, top + kFolderHeight);
    flap.closeSubpath();
    p.setBrush(QColor::fromRgb(kWindowWhite));
    p.drawPath(flap);
    return image;
}

enum class FileKind { Picture, Settings };

// The chip that shows the chosen file's name, with a small icon of the kind of file
// where the caption's six leading blanks leave room for it.
QImage FileChip(QSize size, FileKind kind) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    RoundedBody(p, QRectF(QPointF(0, 0), size), kSmallCorner,
                {qRgb(247, 247, 249), qRgb(222, 222, 228)});
    const QRectF icon(8, (size.height() - 14) / 2.0, 14, 14);
    if (kind == FileKind::Picture) {
        RoundedBody(p, icon, 2, {kWindowWhite, kAccent});
        QPainterPath hills;
        hills.moveTo(icon.left() + 2, icon.bottom() - 2.5);
        hills.lineTo(icon.left() + 5.5, icon.top() + 6.5);
        hills.lineTo(icon.left() + 8, icon.top() + 9);
        hills.lineTo(icon.left() + 9.5, icon.top() + 7.5);
        hills.lineTo(icon.right() - 2, icon.bottom() - 2.5);
        hills.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(kAccent));
        p.drawPath(hills);
        p.drawEllipse(QPointF(icon.right() - 4, icon.top() + 4), 1.5, 1.5);
    } else {
        // A page with a folded corner and lines of settings on it.
        QPainterPath page;
        page.moveTo(icon.left() + 2, icon.top() + 0.5);
        page.lineTo(icon.right() - 4.5, icon.top() + 0.5);
        page.lineTo(icon.right() - 1.5, icon.top() + 3.5);
        page.lineTo(icon.right() - 1.5, icon.bottom() - 0.5);
        page.lineTo(icon.left() + 2, icon.bottom() - 0.5);
        page.closeSubpath();
        p.setPen(QPen(QColor::fromRgb(kAccent), 1));
        p.setBrush(QColor::fromRgb(kWindowWhite));
        p.drawPath(page);
        p.setPen(RoundPen(kAccent, 1.2));
        for (double y : {5.5, 8.0, 10.5}) {
            p.drawLine(QPointF(icon.left() + 4.5, icon.top() + y),
                       QPointF(icon.right() - 4.5, icon.top() + y));
        }
    }
    return image;
}

enum class SwitchPosition { On, Off };

QImage Switch(QSize size, SwitchPosition position) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    const bool on = position == SwitchPosition::On;
    const double radius = size.height() / 2.0;
    const QRgb track = on ? kAccent : qRgb(204, 204, 210);
    RoundedBody(p, QRectF(QPointF(0, 0), size), radius, {track, track});
    constexpr double kKnobInset = 2;
    const double knob = radius - kKnobInset;
    const double x = on ? size.width() - radius : radius;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(QPointF(x, radius + 0.6), knob, knob);
    p.setBrush(QColor::fromRgb(kWindowWhite));
    p.drawEllipse(QPointF(x, radius), knob, knob);
    return image;
}

QImage ComboArrow(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.setPen(RoundPen(qRgb(110, 110, 118), 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath chevron;
    chevron.moveTo(c + QPointF(-4, -2));
    chevron.lineTo(c + QPointF(0, 2));
    chevron.lineTo(c + QPointF(4, -2));
    p.drawPath(chevron);
    return image;
}

enum class BandGlyph { Close, Minimise };

void DrawBandGlyph(QPainter& p, QSize size, BandGlyph glyph, QRgb colour) {
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    if (glyph == BandGlyph::Close) {
        Cross(p, c, 3.5, colour, 1.6);
    } else {
        p.setPen(RoundPen(colour, 1.6));
        p.drawLine(c + QPointF(-4, 0), c + QPointF(4, 0));
    }
}

// Minimise and close on the title band (and close on the template dialog).
QImage BandButton(QSize size, BandGlyph glyph, ButtonState state) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kBandButtonFills[state]));
    p.drawRoundedRect(QRectF(QPointF(0, 0), size), kGlyphCorner, kGlyphCorner);
    DrawBandGlyph(p, size, glyph, kWindowWhite);
    return image;
}

// Close at rest on the light adapter backdrop: a plain dark cross; hover and press use
// the band's red squares, which read on light ground as well.
QImage LightGroundClose(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    DrawBandGlyph(p, size, BandGlyph::Close, qRgb(110, 112, 122));
    return image;
}

// Close on the white page dialogs: a quiet grey cross.
QImage ChildClose(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    Cross(p, QPointF(size.width() / 2.0, size.height() / 2.0), 3.5, qRgb(150, 150, 160), 1.5);
    return image;
}

// Close on the grey message dialog: the cross on a light disc, so it keeps its shape
// against the dialog's off-white.
QImage MessageClose(QSize size) {
    QImage image = Canvas(size, kTransparent);
    SmoothPainter p(&image);
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(228, 228, 233));
    p.drawEllipse(c, 7.5, 7.5);
    Cross(p, c, 3, kInk, 1.5);
    return image;
}

// ---- grid icons ------------------------------------------------------------------

enum class TickBox { Empty, Ticked, Partly };

constexpr QRectF kTickBox(4, 4, 16, 16);
constexpr double kTickCorner = 3;

QImage TickBoxIcon(QSize size, TickBox box) {
    QImage image = Canvas(size, kWindowWhite);
    SmoothPainter p(&image);
    if (box == TickBox::Empty) {
        RoundedBody(p, kTickBox, kTickCorner, {kWindowWhite, kIdleGrey});
        return image;
    }
    if (box == TickBox::Ticked) {
        RoundedBody(p, kTickBox, kTickCorner, {kAccent, kAccent});
        Tick(p, kTickBox.center(), 8, kIconWhite, 2);
        return image;
    }
    // Partly ticked: an open box in the accent with a small block inside, so it sits
    // between the empty box and the filled one instead of looking like either.
    constexpr double kBlockHalf = 4;
    RoundedBody(p, kTickBox, kTickCorner, {kWindowWhite, kAccent});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kAccent));
    p.drawRoundedRect(QRectF(kTickBox.center() - QPointF(kBlockHalf, kBlockHalf),
                             kTickBox.center() + QPointF(kBlockHalf, kBlockHalf)),
                      1.5, 1.5);
    return image;
}

enum class StatusMark { Success, Error, Operating };

QImage StatusIcon(QSize size, StatusMark mark) {
    QImage image = Canvas(size, kWindowWhite);
    SmoothPainter p(&image);
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    constexpr double kDiscRadius = 10;
    constexpr std::array<QRgb, 3> kDiscColours = {kSuccessGreen, kAccent, kOperatingOrange};
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kDiscColours[static_cast<int>(mark)]));
    p.drawEllipse(c, kDiscRadius, kDiscRadius);
    switch (mark) {
        case StatusMark::Success:
            Tick(p, c, 10, kIconWhite, 2.2);
            break;
        case StatusMark::Error:
            Cross(p, c, 4, kIconWhite, 2.2);
            break;
        case StatusMark::Operating:
            // Three dots: work under way, result not in yet.
            p.setBrush(QColor::fromRgb(kIconWhite));
            for (double dx : {-5.0, 0.0, 5.0}) {
                p.drawEllipse(c + QPointF(dx, 0), 1.7, 1.7);
            }
            break;
    }
    return image;
}

// ---- busy animation --------------------------------------------------------------

gif_animation_stu BusyAnimation() {
    gif_animation_stu animation;
    animation.width = kBusySize;
    animation.height = kBusySize;
    const QColor matte = QColor::fromRgb(BusyAnimationMatte());
    for (int level = 0; level < kBusyLevels; ++level) {
        const double t = static_cast<double>(level) / (kBusyLevels - 1);
        const auto mix = [t](int from) {
            return static_cast<uint8_t>(std::lround(from + (255 - from) * t));
        };
        animation.palette.push_back({mix(matte.red()), mix(matte.green()), mix(matte.blue())});
    }
    animation.transparent_index = 0;
    const QPointF centre(kBusySize / 2.0, kBusySize / 2.0);
    const QRectF ring(centre - QPointF(kBusyRadius, kBusyRadius),
                      centre + QPointF(kBusyRadius, kBusyRadius));
    for (int frame = 0; frame < kBusyFrames; ++frame) {
        // Coverage only: white ink on nothing, so each pixel's alpha is its ink level.
        QImage coverage = Canvas({kBusySize, kBusySize}, kTransparent);
        {
            SmoothPainter p(&coverage);
            p.setPen(RoundPen(qRgba(255, 255, 255, kBusyTrackAlpha), kBusyPen));
            p.drawEllipse(ring);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.setPen(RoundPen(kWindowWhite, kBusyPen));
            // Clockwise, one twelfth of a turn per frame; arc angles are in 1/16 degree.
            const int start = (90 - frame * 360 / kBusyFrames) * 16;
            p.drawArc(ring, start, -static_cast<int>(kBusyArcDegrees * 16));
        }
        gif_frame_stu out;
        out.delay_cs = kBusyDelayCs;
        out.indices.reserve(kBusySize * kBusySize);
        for (int y = 0; y < kBusySize; ++y) {
            for (int x = 0; x < kBusySize; ++x) {
                const int alpha = qAlpha(coverage.pixel(x, y));
                out.indices.push_back(
                    static_cast<uint8_t>(std::lround(alpha * (kBusyLevels - 1) / 255.0)));
            }
        }
        animation.frames.push_back(std::move(out));
    }
    return animation;
}

QImage DrawStill(SkinImage image, QSize size) {
    switch (image) {
        case SKIN_MAIN_BK_PNG:
            return AdapterBackground();
        case SKIN_MAIN_BK_JPG:
            return DeviceListBackground();
        case SKIN_MAIN_BK3_JPG:
            return DimmedBackground();
        case SKIN_SCAN_BTN_NORMAL:
        case SKIN_PROTECTION_BTN_NORMAL:
        case SKIN_APPLY_BTN_NORMAL:
            return FilledButton(size, STATE_NORMAL, CornerFor(size));
        case SKIN_SCAN_BTN_OVER:
        case SKIN_PROTECTION_BTN_OVER:
        case SKIN_APPLY_BTN_OVER:
            return FilledButton(size, STATE_OVER, CornerFor(size));
        case SKIN_SCAN_BTN_DOWN:
        case SKIN_PROTECTION_BTN_DOWN:
        case SKIN_APPLY_BTN_DOWN:
            return FilledButton(size, STATE_DOWN, CornerFor(size));
        case SKIN_SCAN_BTN_DISABLE:
        case SKIN_PROTECTION_BTN_DISABLE:
        case SKIN_APPLY_BTN_DISABLE:
            return FilledButton(size, STATE_DISABLE, CornerFor(size));
        case SKIN_CANCEL_BTN_NORMAL:
            return OutlineButton(size, STATE_NORMAL, kLargeCorner);
        case SKIN_CANCEL_BTN_OVER:
            return OutlineButton(size, STATE_OVER, kLargeCorner);
        case SKIN_CANCEL_BTN_DOWN:
            return OutlineButton(size, STATE_DOWN, kLargeCorner);
        case SKIN_LOGO:
            return Logo(size);
        case SKIN_COMBOX_DOWN:
            return ComboArrow(size);
        case SKIN_CHANGE_BTN_NORMAL:
            return ChangeButton(size);
        case SKIN_BTN_TEMPLATE:
            return TemplateButton(size);
        case SKIN_SELECT:
            return TickBoxIcon(size, TickBox::Ticked);
        case SKIN_UNSELECT:
            return TickBoxIcon(size, TickBox::Empty);
        case SKIN_PART_SELECT:
            return TickBoxIcon(size, TickBox::Partly);
        case SKIN_SUCCESS:
            return StatusIcon(size, StatusMark::Success);
        case SKIN_ERROR:
            return StatusIcon(size, StatusMark::Error);
        case SKIN_OPERATING:
            return StatusIcon(size, StatusMark::Operating);
        case SKIN_CHOOSE_BTN_NORMAL:
            return ChooseButton(size);
        case SKIN_BTN_INI_FILE:
            return FileChip(size, FileKind::Settings);
        case SKIN_BTN_PIC_FILE:
            return FileChip(size, FileKind::Picture);
        case SKIN_BTN_SWITCH_ON:
            return Switch(size, SwitchPosition::On);
        case SKIN_BTN_SWITCH_OFF:
            return Switch(size, SwitchPosition::Off);
        case SKIN_BTN_CLOSE_NORMAL:
            return BandButton(size, BandGlyph::Close, STATE_NORMAL);
        case SKIN_BTN_CLOSE_OVER:
            return BandButton(size, BandGlyph::Close, STATE_OVER);
        case SKIN_BTN_CLOSE_DOWN:
            return BandButton(size, BandGlyph::Close, STATE_DOWN);
        case SKIN_BTN_CLOSE_NORMAL2:
            return LightGroundClose(size);
        case SKIN_BTN_CHILD_CLOSE:
            return ChildClose(size);
        case SKIN_BTN_CHILD_CLOSE2:
            return MessageClose(size);
        case SKIN_BTN_MIN_NORMAL:
            return BandButton(size, BandGlyph::Minimise, STATE_NORMAL);
        case SKIN_BTN_MIN_OVER:
            return BandButton(size, BandGlyph::Minimise, STATE_OVER);
        case SKIN_BTN_MIN_DOWN:
            return BandButton(size, BandGlyph::Minimise, STATE_DOWN);
        case SKIN_WAIT_SEARCH_GIF:
        case SKIN_IMAGE_COUNT:
            break;
    }
    return QImage();
}

}  // namespace

SkinFormat FormatOf(SkinImage image) {
    const std::string_view name = kSkinFileNames[image];
    const std::string_view extension = name.substr(name.rfind('.') + 1);
    if (extension == "png") {
        return SkinFormat::PNG;
    }
    if (extension == "jpg") {
        return SkinFormat::JPEG;
    }
    if (extension == "bmp") {
        return SkinFormat::BMP;
    }
    return SkinFormat::GIF;
}

QSize SkinImageSize(SkinImage image) {
    for (const skin_size_stu& s : kSizes) {
        if (s.image == image) {
            return QSize(s.width, s.height);
        }
    }
    return QSize();
}

QRgb BusyAnimationMatte() {
    return kFilledStates[STATE_DISABLE].fill;
}

skin_file_stu DrawSkinFile(SkinImage image) {
    skin_file_stu file;
    file.image = image;
    if (image == SKIN_WAIT_SEARCH_GIF) {
        file.animation = BusyAnimation();
    } else {
        file.still = DrawStill(image, SkinImageSize(image));
    }
    return file;
}

QImage GifFrameImage(const gif_animation_stu& animation, size_t frame) {
    QImage image(animation.width, animation.height, QImage::Format_ARGB32);
    const std::vector<uint8_t>& indices = animation.frames.at(frame).indices;
    for (int y = 0; y < animation.height; ++y) {
        for (int x = 0; x < animation.width; ++x) {
            const uint8_t index = indices[static_cast<size_t>(y) * animation.width + x];
            const std::array<uint8_t, 3>& c = animation.palette.at(index);
            image.setPixel(
                x, y, index == animation.transparent_index ? kTransparent : qRgb(c[0], c[1], c[2]));
        }
    }
    return image;
}

QByteArray EncodeSkinFile(const skin_file_stu& file) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (FormatOf(file.image)) {
        case SkinFormat::PNG:
            file.still.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
            break;
        case SkinFormat::JPEG:
            file.still.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", kJpegQuality);
            break;
        case SkinFormat::BMP:
            // The icon list wants plain 24-bit colour keyed on white, no alpha.
            file.still.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
            break;
        case SkinFormat::GIF: {
            const std::string gif = EncodeGif(file.animation);
            bytes = QByteArray(gif.data(), static_cast<qsizetype>(gif.size()));
            break;
        }
    }
    return bytes;
}

bool WriteSkinFolder(const std::string& folder, std::string* error) {
    const QString dir = QString::fromStdString(folder);
    if (!QDir().mkpath(dir)) {
        *error = "cannot create " + folder;
        return false;
    }
    for (int i = 0; i < SKIN_IMAGE_COUNT; ++i) {
        const auto image = static_cast<SkinImage>(i);
        const QByteArray bytes = EncodeSkinFile(DrawSkinFile(image));
        QFile out(QDir(dir).filePath(QString::fromLatin1(kSkinFileNames[image])));
        if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(bytes) != bytes.size()) {
            *error = std::string("cannot write ") + kSkinFileNames[image];
            return false;
        }
    }
    return true;
}

}  // namespace plindar
