// The application object's data and the font mapping every window relies on.
#include "app/application_app.h"

#include <QFont>
#include <QFontDatabase>
#include <QProxyStyle>
#include <QStringList>

namespace plindar {

namespace {

// Installed faces that carry both Latin and simplified Chinese glyphs, best first.
// Debian's fonts-wqy-microhei is what the set-up script installs.
const char* const kCjkFaces[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC",    "Noto Sans SC",
                                 "Source Han Sans SC",  "Droid Sans Fallback", "AR PL UMing CN"};

// Tooltips of the window come up after this long, shorter than Qt's default.
constexpr int kToolTipDelayMs = 500;

// The platform's own style, with the window's tooltip delay.
class CToolTipDelayStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
            return kToolTipDelayMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

constexpr int kRedShift = 0;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;
constexpr rgb_colour kByte = 0xFF;

}  // namespace

QColor ToQColor(rgb_colour colour) {
    return QColor(static_cast<int>(colour >> kRedShift & kByte),
                  static_cast<int>(colour >> kGreenShift & kByte),
                  static_cast<int>(colour >> kBlueShift & kByte));
}

void InstallFontSubstitutes(const std::string& settings_face) {
    const QStringList installed = QFontDatabase::families();
    QStringList substitutes;
    for (const char* face : kCjkFaces) {
        if (installed.contains(QString::fromUtf8(face), Qt::CaseInsensitive)) {
            substitutes << QString::fromUtf8(face);
        }
    }
    if (substitutes.isEmpty()) {
        return;  // Qt's own fallback is all there is; Latin text still shows.
    }
    QStringList faces = {QString::fromUtf8(kDefaultFaceName)};
    const QString configured = QString::fromStdString(settings_face);
    if (!configured.isEmpty() && !installed.contains(configured, Qt::CaseInsensitive)) {
        faces << configured;
    }
    for (const QString& face : faces) {
        QFont::removeSubstitutions(face);
        QFont::insertSubstitutions(face, substitutes);
    }
}

CApplicationApp::CApplicationApp(int& argc, char** argv) : QApplication(argc, argv) {
    setStyle(new CToolTipDelayStyle);  // the application owns it
    InstallFontSubstitutes(kDefaultFaceName);
}

CApplicationApp* CApplicationApp::GetApp() {
    return dynamic_cast<CApplicationApp*>(QCoreApplication::instance());
}

void CApplicationApp::LoadLookAndFeel(const std::string& folder) {
    program_folder = folder;
    settings = LoadSettings(folder);
    skins = BuildSkinPaths(folder);
    InstallFontSubstitutes(settings.FontName);
}

QString CApplicationApp::SkinPath(SkinImage image) const {
    return QString::fromStdString(skins[image]);
}

}  // namespace plindar
