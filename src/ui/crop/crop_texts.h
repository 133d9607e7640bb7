// The cropping dialog's English texts (the keys of their translations) and the
// filling of their placeholders.
#pragma once

#include <QString>
#include <QStringList>

namespace plindar {

inline constexpr char kCropTitleFormat[] = "Image Cropping - [%s]";
// Two lines, translated one by one: a text with a line break cannot be a key.
inline constexpr char kCropHintFirstLine[] =
    "Supports mouse dragging of the original image and the cropping area,";
inline constexpr char kCropHintSecondLine[] =
    "and supports zooming in/out display via the scroll wheel.";
inline constexpr char kCropSmallSizeFormat[] = "Current image %u × %u,less than 229×51 pixel";
inline constexpr char kCropSmallSavedWhole[] =
    "It will be saved at its original dimensions without cropping.";
inline constexpr char kCropLoadFailed[] =
    "Image loading failed!Please confirm that the file format is correct (supports PNG / JPG / "
    "BMP).";
inline constexpr char kCropNoteTitle[] = "Note";
inline constexpr char kCropCancel[] = "Cancel";
inline constexpr char kCropApply[] = "Apply";
inline constexpr char kCropClose[] = "Close";

// `format` with each `token` replaced, left to right, by the next of `values`. The
// values are never scanned for tokens (a file name may hold "%s"), and a format from
// a language file with too many or too few tokens leaves the rest as it is.
inline QString FillPlaceholders(const QString& format, const QString& token,
                                const QStringList& values) {
    QString out;
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = format.indexOf(token, from);
        if (at < 0) {
            break;
        }
        out += format.mid(from, at - from);
        out += value;
        from = at + token.size();
    }
    out += format.mid(from);
    return out;
}

}  // namespace plindar
