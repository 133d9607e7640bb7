// The main window: pages, title-bar buttons, tray, exit confirmations, about box.
#include "app/main_window.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/about_dlg.h"
#include "app/program_icon.h"
#include "records/language.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kWindowSize(817, 540);
constexpr QRect kMinimiseButton(763, 16, 16, 16);
constexpr QRect kCloseButton(784, 16, 16, 16);

// Where each page sits, in the order the pages are made.
struct page_place_stu {
    PageId id;
    QPoint top_left;
};
constexpr std::array<page_place_stu, 4> kPagePlaces = {{
    {PAGE_ADAPTER, QPoint(247, 126)},
    {PAGE_DEVICES, QPoint(0, 48)},
    {PAGE_ANTITHEFT, QPoint(198, 57)},
    {PAGE_CUSTOMIZE, QPoint(200, 142)},
}};

// What showing a page does to the window around it.
enum class ButtonShow {
    kHidden,
    kShown,
    kUnchanged,
};
struct page_look_stu {
    PageId id;
    SkinImage background;
    ButtonShow minimise;
    ButtonShow close;
    int close_style;
};
constexpr std::array<page_look_stu, 4> kPageLooks = {{
    {PAGE_ADAPTER, SKIN_MAIN_BK_PNG, ButtonShow::kHidden, ButtonShow::kUnchanged,
     CLOSE_STYLE_ADAPTER},
    {PAGE_DEVICES, SKIN_MAIN_BK_JPG, ButtonShow::kShown, ButtonShow::kShown, CLOSE_STYLE_DEVICES},
    {PAGE_CUSTOMIZE, SKIN_MAIN_BK3_JPG, ButtonShow::kHidden, ButtonShow::kHidden,
     CLOSE_STYLE_DEVICES},
    {PAGE_ANTITHEFT, SKIN_MAIN_BK3_JPG, ButtonShow::kHidden, ButtonShow::kHidden,
     CLOSE_STYLE_DEVICES},
}};

// The close button's normal image per style; hover, pressed and disabled are shared.
SkinImage CloseNormalImage(int style) {
    return style == CLOSE_STYLE_ADAPTER ? SKIN_BTN_CLOSE_NORMAL2 : SKIN_BTN_CLOSE_NORMAL;
}

// The about item of the window menu; an empty text leaves the menu without it.
constexpr char kAboutItemText[] = "关于 Application(&A)...";

void Apply(ButtonShow show, QWidget* button) {
    if (show != ButtonShow::kUnchanged) {
        button->setVisible(show == ButtonShow::kShown);
    }
}

}  // namespace

CApplicationDlg::CApplicationDlg(TrayMode tray, page_factory_fn make_page)
    : CTDialog(nullptr, DialogKind::kWindow) {
    // A top-level window of its own (taskbar entry, minimisable), drawn without
    // the window manager's frame.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Plindar"));
    // Pages made below reach the window through the application object.
    if (CApplicationApp* app = CApplicationApp::GetApp()) {
        app->main_window = this;
    }

    if (QString about = QString::fromUtf8(kAboutItemText); !about.isEmpty()) {
        // A frameless window has no window menu here: the item goes into the
        // background's context menu instead.
        window_menu_ = new QMenu(this);
        window_menu_->setObjectName(QStringLiteral("windowMenu"));
        about_ = window_menu_->addAction(about);
        connect(about_, &QAction::triggered, this, &CApplicationDlg::OnAbout);
        TranslateMenu(window_menu_);
    }
    setWindowIcon(ProgramIcon());

    minimise_ = new CTButtonPicture(this);
    minimise_->setObjectName(QStringLiteral("minimiseButton"));
    close_ = new CTButtonPicture(this);
    close_->setObjectName(QStringLiteral("closeButton"));

    TranslateDialog(this);

    const CApplicationApp* app = CApplicationApp::GetApp();
    SetFillColour(app != nullptr ? ToQColor(app->settings.ChildBkColor) : QColor(Qt::white));
    SetFill(true);
    SetDrag(true);

    setFixedSize(kWindowSize);
    minimise_->setGeometry(kMinimiseButton);
    close_->setGeometry(kCloseButton);

    minimise_->setToolTip(TrText("Min"));
    close_->setToolTip(TrText("Close"));

    minimise_->SetImages(SkinImagePath(SKIN_BTN_MIN_NORMAL), SkinImagePath(SKIN_BTN_MIN_OVER),
                         SkinImagePath(SKIN_BTN_MIN_DOWN), SkinImagePath(SKIN_BTN_MIN_DOWN));
    SetCloseButtonStyle(CLOSE_STYLE_DEVICES);
    connect(minimise_, &QAbstractButton::clicked, this, &CApplicationDlg::OnMinimise);
    connect(close_, &QAbstractButton::clicked, this, &CApplicationDlg::OnClose);

    AddTrayIcon(tray == TrayMode::kTray ||
                (tray == TrayMode::kDetect && QSystemTrayIcon::isSystemTrayAvailable()));

    CentreOnScreen(this, nullptr);

    CreatePages(make_page);
    ShowPage(PAGE_ADAPTER);
}

CApplicationDlg::~CApplicationDlg() {
    RemoveTrayIcon();
    CApplicationApp* app = CApplicationApp::GetApp();
    if (app != nullptr && app->main_window == this) {
        app->main_window = nullptr;
    }
}

void CApplicationDlg::CreatePages(const page_factory_fn& make_page) {
    for (size_t i = 0; i < kPagePlaces.size(); ++i) {
        CPage* page = make_page(kPagePlaces[i].id, this);
        page->move(kPagePlaces[i].top_left);
        page->hide();
        pages_[i] = page;
    }
}

CPage* CApplicationDlg::Page(int page) {
    for (CPage* candidate : pages_) {
        if (candidate != nullptr && candidate->Id() == page) {
            return candidate;
        }
    }
    return nullptr;
}

void CApplicationDlg::ShowPage(int page) {
    const page_look_stu* look = nullptr;
    for (const page_look_stu& candidate : kPageLooks) {
        if (candidate.id == page) {
            look = &candidate;
        }
    }
    CPage* shown = Page(page);
    if (look == nullptr || shown == nullptr) {
        return;  // not a page of this window
    }
    if (CApplicationApp* app = CApplicationApp::GetApp()) {
        app->current_page = page;
    }
    for (CPage* each : pages_) {
        each->hide();
    }
    SetBackgroundImage(SkinImagePath(look->background));
    SetCloseButtonStyle(look->close_style);
    Apply(look->minimise, minimise_);
    Apply(look->close, close_);
    shown->show();
    shown->raise();
    if (QWidget* focus = shown->InitialFocus()) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void CApplicationDlg::SetCloseButtonStyle(int style) {
    close_style_ = style;
    close_->SetImages(SkinImagePath(CloseNormalImage(style)), SkinImagePath(SKIN_BTN_CLOSE_OVER),
                      SkinImagePath(SKIN_BTN_CLOSE_DOWN), SkinImagePath(SKIN_BTN_CLOSE_DOWN));
}

void CApplicationDlg::AddTrayIcon(bool with_tray) {
    tray_menu_ = new QMenu(this);
    tray_menu_->setObjectName(QStringLiteral("trayMenu"));
    show_utility_ = tray_menu_->addAction(QStringLiteral("Show Utility"));
    exit_ = tray_menu_->addAction(QStringLiteral("Exit"));
    TranslateMenu(tray_menu_);
    connect(show_utility_, &QAction::triggered, this, [this] { show(); });
    connect(exit_, &QAction::triggered, this, &CApplicationDlg::OnTrayExit);
    if (!with_tray) {
        return;  // the menu's actions still serve the window's own buttons
    }
    tray_ = new QSystemTrayIcon(ProgramIcon(), this);
    tray_->setToolTip(TrText("Plindar").left(127));
    tray_->setContextMenu(tray_menu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick) {
            ShowFromTray();
        }
    });
    tray_->show();
}

void CApplicationDlg::RemoveTrayIcon() {
    if (tray_ != nullptr) {
        tray_->hide();
    }
}

void CApplicationDlg::ShowFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void CApplicationDlg::OnMinimise() {
    // Without a tray a hidden window could not be reached again: the taskbar
    // keeps it instead.
    if (tray_ != nullptr) {
        hide();
    } else {
        showMinimized();
    }
}

void CApplicationDlg::OnClose() {
    if (ShowNote(TrText("Confirm Exit"), TrText("Are you sure you want to exit Plindar?"),
                 NoteButtons::kOkCancel, this) == kNoteOk) {
        done(QDialog::Accepted);
    }
}

void CApplicationDlg::OnTrayExit() {
    if (ShowNote(TrText("Note"), TrText("Are you sure close program?"), NoteButtons::kOkCancel,
                 this) == kNoteOk) {
        done(QDialog::Accepted);
    }
}

void CApplicationDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (window_menu_ != nullptr) {
        window_menu_->popup(event->globalPos());
    }
}

void CApplicationDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace plindar
