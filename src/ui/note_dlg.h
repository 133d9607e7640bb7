// CNoteDlg: the operator message: a title, a text and "Ok" alone or "Ok" and
// "Cancel"; and ShowNote, the one call every message of the program goes through.
#pragma once

#include <QString>

#include "ui/controls/t_dialog.h"

namespace plindar {

class CTButtonPicture;
class CTStaticGdiplus;
class CColorLine;

// Results of a message; callers test for kNoteOk alone.
constexpr int kNoteOk = 1;
constexpr int kNoteCancel = 2;

class CNoteDlg : public CTDialog {
    Q_OBJECT

public:
    // `title` and `text` are shown as given: callers translate them first.
    CNoteDlg(const QString& title, const QString& text, bool show_cancel, QWidget* owner = nullptr);

    // Ok ends the dialog with kNoteOk; Cancel, the close button and the window
    // manager's close with kNoteCancel.
    void reject() override;

    CTButtonPicture* OkButton() const { return ok_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* CloseButton() const { return close_; }
    CTStaticGdiplus* TitleLabel() const { return title_; }
    CTStaticGdiplus* MessageLabel() const { return message_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void GrowForText();

    CTStaticGdiplus* title_;
    CTStaticGdiplus* message_;
    CTButtonPicture* close_;
    CTButtonPicture* cancel_;
    CTButtonPicture* ok_;
    CColorLine* top_line_;
    CColorLine* bottom_line_;
    bool show_cancel_;
    bool centred_ = false;
};

enum class NoteButtons {
    kOkOnly,
    kOkCancel,
};

// Runs a message modally (a nested event loop: timers and other windows go on
// working) and returns kNoteOk or kNoteCancel. Title and text come translated.
int ShowNote(const QString& title, const QString& text, NoteButtons buttons,
             QWidget* owner = nullptr);

}  // namespace plindar
