// The look the anti-theft page and its two template dialogs share: fonts, colours
// and button skins, so the three windows cannot drift apart.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QWidget;

#include "ui/translate_window.h"

namespace plindar {

class CTButtonPicture;
class CTStaticGdiplus;

inline const QColor kAntiTheftText(68, 68, 79);
inline const QColor kAntiTheftAccent(216, 34, 40);
inline const QColor kAntiTheftNote(181, 181, 190);
inline const QColor kAntiTheftLine(235, 238, 237);
inline const QColor kAntiTheftFill(Qt::white);
// The grey of the DNS boxes' hint.
inline const QColor kAntiTheftHint(0x80, 0x80, 0x80);

// Pixel heights of the texts.
constexpr int kAntiTheftTitleHeight = 17;
constexpr int kAntiTheftLabelHeight = 15;
constexpr int kAntiTheftNoteHeight = 12;
constexpr int kAntiTheftButtonHeight = 17;
constexpr int kAntiTheftTemplateButtonHeight = 14;

void StyleTitle(CTStaticGdiplus* title);
// A field label in the page's text colour, `height` pixels high.
void StyleLabel(CTStaticGdiplus* label, int height, const QColor& colour);
void StyleCloseButton(CTButtonPicture* close);
void StyleCancelButton(CTButtonPicture* cancel);
// Apply, Load, Save: the red confirm button with a white caption.
void StyleConfirmButton(CTButtonPicture* confirm);

class CColorLine;
class CTDialog;

// The frame both template dialogs share: a 420 x 152 box with its title, close
// button and line, one labelled field, Cancel and the confirm button.
struct template_box_stu {
    CTStaticGdiplus* title = nullptr;
    CTButtonPicture* close = nullptr;
    CColorLine* top_line = nullptr;
    CTStaticGdiplus* label = nullptr;
    CTButtonPicture* cancel = nullptr;
    CTButtonPicture* confirm = nullptr;
};

// Builds that frame around `field` (already a child of `dialog`, placed at
// `field_rect`), names the field after its label and translates the dialog once.
// Cancel and the close button reject the dialog; the confirm button is the
// caller's to connect.
template_box_stu BuildTemplateBox(CTDialog* dialog, const char* title, const char* label,
                                  const char* confirm, const char* confirm_name, QWidget* field,
                                  const QRect& field_rect);

}  // namespace plindar
