// The picture control: a still image, or a GIF animated by QMovie's timer on the
// window's own thread (widgets may only be painted there).
#include "ui/controls/t_picture.h"

#include <QFile>
#include <QImageReader>
#include <QMovie>

namespace plindar {

namespace {

constexpr qint64 kGifSignatureLength = 6;

bool HasGifSignature(const QString& path, bool* readable) {
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly);
    if (!*readable) {
        return false;
    }
    const QByteArray head = file.read(kGifSignatureLength);
    return head == "GIF87a" || head == "GIF89a";
}

}  // namespace

CTPicture::CTPicture(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

CTPicture::~CTPicture() {
    Clear();
}

void CTPicture::Clear() {
    Stop();
    QLabel::clear();
    movie_.reset();
    loaded_ = false;
}

bool CTPicture::Load(const QString& path) {
    Clear();
    bool readable = false;
    const bool gif = HasGifSignature(path, &readable);
    if (!readable) {
        return false;
    }
    if (!gif) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) {
            return false;
        }
        setPixmap(QPixmap::fromImage(image));
        loaded_ = true;
        return true;
    }
    auto movie = std::make_unique<QMovie>(path);
    if (!movie->isValid() || movie->frameCount() < 1 || !movie->jumpToFrame(0)) {
        return false;
    }
    if (movie->frameCount() == 1) {
        // Nothing to animate: the one frame is shown still and no timer runs.
        setPixmap(movie->currentPixmap());
        loaded_ = true;
        return true;
    }
    movie_ = std::move(movie);
    // A GIF without a loop count plays once; the busy picture loops until stopped.
    connect(movie_.get(), &QMovie::finished, this, [this] {
        if (running_ && movie_ != nullptr) {
            movie_->start();
        }
    });
    setMovie(movie_.get());
    loaded_ = true;
    return true;
}

void CTPicture::Start() {
    if (movie_ == nullptr) {
        update();
        return;
    }
    running_ = true;
    movie_->start();
}

void CTPicture::Stop() {
    running_ = false;
    if (movie_ != nullptr) {
        movie_->stop();
    }
}

bool CTPicture::IsAnimating() const {
    return movie_ != nullptr && movie_->state() == QMovie::Running;
}

int CTPicture::FrameCount() const {
    if (movie_ != nullptr) {
        return movie_->frameCount();
    }
    return loaded_ ? 1 : 0;
}

int CTPicture::CurrentFrame() const {
    return movie_ != nullptr ? movie_->currentFrameNumber() : 0;
}

}  // namespace plindar
