// CAvatarCropDlg: the modal dialog in which the operator picks the logo-sized region
// of an image and saves it as a new time-stamped JPEG in the program folder.
#pragma once

#include <QString>

#include "ui/controls/t_dialog.h"

namespace plindar {

class CColorLine;
class CImagePreviewCtrl;
class CTButtonPicture;
class CTStaticGdiplus;

class CAvatarCropDlg : public CTDialog {
    Q_OBJECT

public:
    // Loads `source_path` into the view at once. An image that does not decode
    // leaves the view empty and Apply disabled; the operator is told so as soon as
    // the dialog shows.
    explicit CAvatarCropDlg(const QString& source_path, QWidget* owner = nullptr);
    ~CAvatarCropDlg() override;

    // exec() gives QDialog::Accepted once Apply has written the output, and
    // QDialog::Rejected for Cancel, the close button and the window manager's close.
    // The written JPEG's full path after Accepted; empty before.
    QString OutputPath() const { return output_path_; }

    CImagePreviewCtrl* View() const { return view_; }
    CTButtonPicture* ApplyButton() const { return apply_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* CloseButton() const { return close_; }
    CTStaticGdiplus* TitleLabel() const { return title_; }
    CTStaticGdiplus* HintLabel() const { return hint_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadSource();
    void ReportLoadFailure();
    void Apply();

    QString source_path_;
    QString output_path_;
    bool loaded_ = false;
    bool first_show_done_ = false;

    CTStaticGdiplus* title_;
    CTButtonPicture* close_;
    CColorLine* top_line_;
    CImagePreviewCtrl* view_;
    CTStaticGdiplus* hint_;
    CColorLine* bottom_line_;
    CTButtonPicture* cancel_;
    CTButtonPicture* apply_;
};

}  // namespace plindar
