// What the skinned controls share: fonts from face/height/weight as the look files
// give them, image loading that tolerates missing files, and skin image paths.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>

#include "app/app_settings.h"

namespace plindar {

// Weight as the look files write it: 0 means normal, else 1..1000 (400 normal,
// 600 semi-bold, 700 bold).
constexpr int kWeightDontCare = 0;
constexpr int kWeightNormal = 400;
constexpr int kWeightSemiBold = 600;

// The face every skinned control asks for (mapped to an installed CJK face).
QString SkinFace();

// `height` in pixels.
QFont SkinFont(const QString& face, int height, int weight, bool italic = false,
               bool underline = false);

// Captions and labels are drawn no smaller than this when they are shrunk to fit.
constexpr int kSmallestFittedPixels = 10;

// `font` made smaller, one pixel at a time, until every line of `text` fits into
// `width` (and, when `height` is above 0, all its lines into `height`), but never
// below kSmallestFittedPixels. A text that fits keeps the font as it is. Layouts
// drawn for one face's widths then stay legible in another face or language.
QFont FitFontToBox(QFont font, const QString& text, int width, int height = 0);

// The image, or a null pixmap for an empty path or a file that does not load.
QPixmap LoadSkinImage(const QString& path);

// The full path of a skin image from the running application object, or empty when
// there is none (a control then draws without the image).
QString SkinImagePath(SkinImage image);

}  // namespace plindar
