// CPreviewScaler: the part of a large image that a view shows, resampled bicubically
// at the displayed size from a pyramid of halved copies.
#pragma once

#include <QImage>
#include <QRect>
#include <vector>

namespace plindar {

class CPreviewScaler {
public:
    // `image` is held as premultiplied ARGB; the halved copies are made now, so that
    // a zoom step or a pan never has to read the whole of a photograph.
    void SetImage(const QImage& image);
    void Clear();
    bool IsEmpty() const { return levels_.empty(); }

    // What shows of the image inside `clip` when the whole image is stretched over
    // `shown` (both in view coordinates): an image of the size of their intersection,
    // to be drawn at its top-left, or a null image when they do not meet. The last
    // result is kept while the size shown and the part of the image that shows stay
    // the same: a repaint, or a pan of an image that is wholly in view, costs nothing.
    const QImage& Render(const QRect& shown, const QRect& clip);

    // Number of copies held, the image itself included.
    size_t LevelCount() const { return levels_.size(); }

private:
    const QImage& LevelFor(const QSize& shown) const;

    std::vector<QImage> levels_;  // the image, then each copy half the one before
    // What the kept result is: the size shown, and the part of the image that shows,
    // relative to the image's top-left corner.
    QSize rendered_size_;
    QRect rendered_part_;
    QImage rendered_;
};

}  // namespace plindar
