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

// The image, or a null pixmap for an empty path or a file that does not load.
QPixmap LoadSkinImage(const QString& path);

// The full path of a skin image from the running application object, or empty when
// there is none (a control then draws without the image).
QString SkinImagePath(SkinImage image);

}  // namespace plindar
