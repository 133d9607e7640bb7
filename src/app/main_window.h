// The main window: borderless, 817 x 540, one page at a time on that page's
// background, its own minimise and close buttons, and the tray icon.
#pragma once

#include <QPointer>
#include <array>
#include <functional>

#include "ui/controls/t_dialog.h"
#include "ui/page.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace plindar {

class CTButtonPicture;

// Whether the desktop offers a tray. Tests force either answer.
enum class TrayMode {
    kDetect,
    kTray,
    kNoTray,
};

// The two image sets of the close button.
enum CloseButtonStyle {
    CLOSE_STYLE_DEVICES = 1,  // on the device list's title band
    CLOSE_STYLE_ADAPTER = 2,  // on the adapter page's background
};

// Makes the page of an id as a hidden child of the window (CreatePage by default;
// tests plug in pages of their own).
using page_factory_fn = std::function<CPage*(PageId, QWidget*)>;

class CApplicationDlg : public CTDialog, public CPageHost {
    Q_OBJECT

public:
    explicit CApplicationDlg(TrayMode tray = TrayMode::kDetect,
                             page_factory_fn make_page = CreatePage);
    ~CApplicationDlg() override;

    void ShowPage(int page) override;
    CPage* Page(int page) override;
    void SetBackgroundImage(const QString& path) override { CTDialog::SetBackgroundImage(path); }
    void SetCloseButtonStyle(int style);

    bool HasTray() const { return tray_ != nullptr; }
    CTButtonPicture* MinimiseButton() const { return minimise_; }
    CTButtonPicture* CloseButton() const { return close_; }
    QAction* ShowUtilityAction() const { return show_utility_; }
    QAction* ExitAction() const { return exit_; }
    QAction* AboutAction() const { return about_; }
    QMenu* TrayMenu() const { return tray_menu_; }
    QMenu* WindowMenu() const { return window_menu_; }
    // The image set the close button shows now.
    int CloseButtonStyleInUse() const { return close_style_; }

    // Tray double click: shown and brought to the front.
    void ShowFromTray();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreatePages(const page_factory_fn& make_page);
    // The tray menu always; the icon only `with_tray`.
    void AddTrayIcon(bool with_tray);
    void RemoveTrayIcon();
    void OnMinimise();
    void OnClose();
    void OnTrayExit();
    void OnAbout();

    std::array<CPage*, 4> pages_{};
    CTButtonPicture* minimise_ = nullptr;
    CTButtonPicture* close_ = nullptr;
    int close_style_ = 0;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* tray_menu_ = nullptr;
    QAction* show_utility_ = nullptr;
    QAction* exit_ = nullptr;
    QMenu* window_menu_ = nullptr;
    QAction* about_ = nullptr;
};

}  // namespace plindar
