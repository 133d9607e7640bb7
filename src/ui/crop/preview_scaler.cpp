// Preview resampling: level choice and the visible window in level pixels.
#include "ui/crop/preview_scaler.h"

#include <algorithm>
#include <cstdint>

#include "content/catmull_rom.h"

namespace plindar {

namespace {

// No copy is made below this side: the smallest zoom of any image in a view of the
// dialog's size shows it a few dozen pixels wide.
constexpr int kSmallestLevelSide = 32;
constexpr int kBytesPerPixel = 4;

argb_source_stu SourceOf(const QImage& image) {
    return {reinterpret_cast<const uint32_t*>(image.constBits()), image.width(), image.height(),
            image.bytesPerLine() / kBytesPerPixel};
}

}  // namespace

void CPreviewScaler::SetImage(const QImage& image) {
    Clear();
    if (image.isNull()) {
        return;
    }
    levels_.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    while (levels_.back().width() > kSmallestLevelSide ||
           levels_.back().height() > kSmallestLevelSide) {
        const QImage& last = levels_.back();
        const QSize half(std::max(1, last.width() / 2), std::max(1, last.height() / 2));
        // Qt's smooth scaling averages the pixels it folds together, which is all a
        // halving needs; the bicubic pass at display time does the rest.
        QImage next = last.scaled(half, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (next.isNull()) {
            break;  // out of memory: the larger copies still do, only more slowly
        }
        levels_.push_back(std::move(next));
    }
}

void CPreviewScaler::Clear() {
    levels_.clear();
    rendered_ = QImage();
    rendered_size_ = QSize();
    rendered_part_ = QRect();
}

const QImage& CPreviewScaler::LevelFor(const QSize& shown) const {
    // The smallest copy still at least as large as the display: the resampler then
    // shrinks by less than two and reads a few pixels per output pixel.
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
        if (level->width() >= shown.width() && level->height() >= shown.height()) {
            return *level;
        }
    }
    return levels_.front();
}

const QImage& CPreviewScaler::Render(const QRect& shown, const QRect& clip) {
    const QRect part = shown.intersected(clip);
    const QRect part_in_image = part.translated(-shown.topLeft());
    if (shown.size() == rendered_size_ && part_in_image == rendered_part_) {
        return rendered_;
    }
    rendered_size_ = shown.size();
    rendered_part_ = part_in_image;
    rendered_ = QImage();
    if (levels_.empty() || part.isEmpty()) {
        return rendered_;
    }
    const QImage& level = LevelFor(shown.size());
    const double per_x = static_cast<double>(level.width()) / shown.width();
    const double per_y = static_cast<double>(level.height()) / shown.height();
    const resample_window_stu window{(part.left() - shown.left()) * per_x,
                                     (part.top() - shown.top()) * per_y, part.width() * per_x,
                                     part.height() * per_y};
    QImage out(part.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) {
        return rendered_;
    }
    const argb_target_stu target{reinterpret_cast<uint32_t*>(out.bits()), out.width(), out.height(),
                                 out.bytesPerLine() / kBytesPerPixel};
    if (ResampleCatmullRom(SourceOf(level), window, target)) {
        rendered_ = std::move(out);
    }
    return rendered_;
}

}  // namespace plindar
