// Draws every image of the window's skin and encodes it in the format its file name gives.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <string>

#include "app/app_settings.h"
#include "skin/gif_writer.h"

namespace plindar {

enum class SkinFormat { PNG, JPEG, BMP, GIF };

// Taken from the file name's extension in kSkinFileNames.
SkinFormat FormatOf(SkinImage image);

// The size each image is drawn at: that of the control or window that shows it.
QSize SkinImageSize(SkinImage image);

// One drawn file: a still picture, or for the busy animation its palette frames.
struct skin_file_stu {
    SkinImage image = SKIN_MAIN_BK_PNG;
    QImage still;
    gif_animation_stu animation;
};

skin_file_stu DrawSkinFile(SkinImage image);

// One frame of the animation as an image, its transparent index fully transparent.
QImage GifFrameImage(const gif_animation_stu& animation, size_t frame);

// The bytes of the file: PNG with alpha, JPEG at a fixed quality, 24-bit BMP, or GIF89a.
QByteArray EncodeSkinFile(const skin_file_stu& file);

// Draws and writes every file of the table into `folder` (created when missing).
// On failure `error` names the file that could not be written.
bool WriteSkinFolder(const std::string& folder, std::string* error);

// The colour the busy animation is matted on: the disabled scan button behind it.
QRgb BusyAnimationMatte();

}  // namespace plindar
