// The about box.
#include "app/about_dlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/application_app.h"
#include "app/program_icon.h"
#include "ui/controls/color_line.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kBoxSize(340, 150);
constexpr QRect kTitle(16, 11, 250, 18);
constexpr QRect kTitleLine(0, 35, 340, 1);
constexpr QRect kIcon(24, 56, 32, 32);
constexpr QRect kVersion(72, 56, 250, 32);
constexpr QRect kOk(257, 111, 67, 27);
const QColor kBackground(248, 248, 248);
const QColor kText(68, 68, 79);
const QColor kLine(235, 238, 237);
constexpr int kTextHeight = 17;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : CTDialog(owner, DialogKind::kWindow) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("about Application"));
    setWindowIcon(ProgramIcon());
    setFixedSize(kBoxSize);
    SetFillColour(kBackground);
    SetFill(true);
    SetDrag(true);
    SetFrameColour(QColor(215, 215, 215));

    // The caption shows inside the box, as the box has no title bar.
    auto* title = new CTStaticGdiplus(QStringLiteral("about Application"), this);
    title->setGeometry(kTitle);
    title->SetFace(SkinFace());
    title->SetFont(kTextHeight, kWeightSemiBold);
    title->SetColour(kText);
    auto* line = new CColorLine(this);
    line->setGeometry(kTitleLine);
    line->SetColour(kLine);

    auto* icon = new QLabel(this);
    icon->setGeometry(kIcon);
    icon->setPixmap(ProgramIcon().pixmap(kIcon.size()));
    icon->setAccessibleName(QStringLiteral("Plindar"));

    version_ = new CTStaticGdiplus(QString::fromUtf8("Application，1.0 版"), this);
    version_->setGeometry(kVersion);
    version_->SetFace(SkinFace());
    version_->SetFont(kTextHeight, kWeightNormal);
    version_->SetColour(kText);

    ok_ = new CTButtonPicture(this);
    ok_->setText(QString::fromUtf8("确定"));
    ok_->setGeometry(kOk);
    ok_->SetImages(SkinImagePath(SKIN_APPLY_BTN_NORMAL), SkinImagePath(SKIN_APPLY_BTN_OVER),
                   SkinImagePath(SKIN_APPLY_BTN_DOWN), SkinImagePath(SKIN_APPLY_BTN_DISABLE));
    ok_->SetCaptionFont(SkinFace(), kTextHeight, kWeightNormal);
    connect(ok_, &QAbstractButton::clicked, this, &QDialog::accept);

    TranslateDialog(this);
    ApplyRoundCorners(this);

    CentreOnOwner(this, owner);
}

}  // namespace plindar
