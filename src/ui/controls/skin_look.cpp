// Fonts, image loading and skin paths shared by the skinned controls.
#include "ui/controls/skin_look.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

#include "app/application_app.h"

namespace plindar {

namespace {

constexpr int kWeightMin = 1;
constexpr int kWeightMax = 1000;

}  // namespace

QFont SkinFont(const QString& face, int height, int weight, bool italic, bool underline) {
    QFont font(face.isEmpty() ? QString::fromUtf8(kDefaultFaceName) : face);
    if (height > 0) {
        font.setPixelSize(height);
    }
    const int css_weight =
        weight == kWeightDontCare ? kWeightNormal : std::clamp(weight, kWeightMin, kWeightMax);
    font.setWeight(static_cast<QFont::Weight>(css_weight));
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QPixmap LoadSkinImage(const QString& path) {
    if (path.isEmpty()) {
        return QPixmap();
    }
    return QPixmap(path);
}

QFont FitFontToBox(QFont font, const QString& text, int width, int height) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    auto fits = [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        if (height > 0 && metrics.height() * lines.size() > height) {
            return false;
        }
        for (const QString& line : lines) {
            if (metrics.horizontalAdvance(line) > width) {
                return false;
            }
        }
        return true;
    };
    int pixels = font.pixelSize();
    while (pixels > kSmallestFittedPixels && !fits(font)) {
        font.setPixelSize(--pixels);
    }
    return font;
}

QString SkinFace() {
    return QString::fromUtf8(kDefaultFaceName);
}

QString SkinImagePath(SkinImage image) {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app == nullptr ? QString() : app->SkinPath(image);
}

}  // namespace plindar
