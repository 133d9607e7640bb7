// A page of the main window, and the main window as the pages see it: pages plug
// into the window through this pair, so no page is a special case of the window.
#pragma once

#include <QSize>

#include "app/application_app.h"
#include "ui/controls/t_dialog.h"

namespace plindar {

class CPage;

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

private:
    PageId id_;
};

// A page whose controls are not built yet: its size and background only, so the
// window shows the page's place.
class CEmptyPage : public CPage {
    Q_OBJECT

public:
    CEmptyPage(PageId id, QSize size, bool round_corners, QWidget* parent);
};

// Makes the page of that id as a hidden child of `parent`, at its own size.
CPage* CreatePage(PageId id, QWidget* parent);

}  // namespace plindar
