// CTPicture: a still picture, or an animated GIF played on the window's own timer.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QString>
#include <memory>

class QMovie;

namespace plindar {

class CTPicture : public QLabel {
    Q_OBJECT

public:
    explicit CTPicture(QWidget* parent = nullptr);
    ~CTPicture() override;

    // A GIF with several frames becomes an animation (not yet running); a GIF with one
    // frame or any other image a still picture. False for a file that cannot be read
    // or a GIF without frames; the picture is then empty.
    bool Load(const QString& path);
    // Runs the animation, looping until Stop; a still picture is simply shown.
    void Start();
    void Stop();

    bool IsLoaded() const { return loaded_; }
    bool IsAnimated() const { return movie_ != nullptr; }
    bool IsAnimating() const;
    int FrameCount() const;
    int CurrentFrame() const;

private:
    void Clear();

    std::unique_ptr<QMovie> movie_;
    bool loaded_ = false;
    bool running_ = false;
};

}  // namespace plindar
