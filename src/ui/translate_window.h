// Translation of windows and menus into the language chosen at start-up: captions,
// labels, buttons and combo items; never typed or system-set values.
#pragma once

#include <QString>
#include <string>

class QComboBox;
class QMenu;
class QWidget;

namespace plindar {

// TranslateText for the window: the translation of an English text as Qt's text.
QString TrText(const char* english);
QString TrText(const std::string& english);

// Translates the window title and the texts of its controls, once per window: a
// second call on the same window (or a control already translated with another
// window) changes nothing. Edit boxes, lists, views, date and number fields and
// progress bars keep their contents; a text that is empty or "..." is kept, and an
// empty translation is not applied. Tooltips are left to the code that sets them.
void TranslateDialog(QWidget* window);

// Translates every item in place, keeping the selected index, icons and item data.
void TranslateComboItems(QComboBox* combo);

// Translates every action's text (not separators), descending into submenus; each
// action keeps its submenu.
void TranslateMenu(QMenu* menu);

}  // namespace plindar
