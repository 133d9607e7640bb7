// A page of the main window, and the main window as the pages see it: pages plug
// into the window through this pair, so no page is a special case of the window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <string>
#include <vector>

#include "app/application_app.h"
#include "ui/controls/t_dialog.h"

namespace plindar {

class CPage;

// Messages one page posts to another; each carries the page that sent it, and a
// message without a sender is ignored.
enum PageMessage {
    WM_ANTITHEFT_STARTED = 0x0400 + 100,  // an anti-theft run starts
    WM_CUSTOMIZE_STARTED = 0x0400 + 101,  // a customization run starts
};

// What a page may ask of the window that holds it.
class CPageHost {
public:
    virtual ~CPageHost() = default;
    // Hides every page and shows `page` with its background and title buttons.
    virtual void ShowPage(int page) = 0;
    // The page object of that id, or null.
    virtual CPage* Page(int page) = 0;
    // The window's own background, for pages that change it.
    virtual void SetBackgroundImage(const QString& path) = 0;
};

class CPage : public CTDialog {
    Q_OBJECT

public:
    // A child of the main window with its own fixed size.
    CPage(PageId id, QSize size, QWidget* parent);

    PageId Id() const { return id_; }

    // Where the keyboard focus goes each time the page is shown; null for none.
    virtual QWidget* InitialFocus() { return nullptr; }

    // The devices ticked on the device list, in row order, handed to the page
    // that will work on them when it is shown. Pages without devices ignore it.
    virtual void SetSelectedDevices(const std::vector<std::string>& macs) { (void)macs; }

    // A message posted by another page (PostPageMessage), on the UI thread.
    virtual void OnPageMessage(int message, QObject* sender) {
        (void)message;
        (void)sender;
    }

private:
    PageId id_;
};

// Queues `message` for the page `target` of `host`: it runs on the UI thread once
// the current event is done, as a posted window message would. Nothing happens
// when the host has no such page or it is gone by then.
void PostPageMessage(CPageHost* host, int target, int message, QObject* sender);

// The main window as pages reach it through the application object; null when
// there is none (a page tested on its own).
CPageHost* MainWindowHost();

// Makes the page of that id as a hidden child of `parent`, at its own size.
CPage* CreatePage(PageId id, QWidget* parent);

}  // namespace plindar
