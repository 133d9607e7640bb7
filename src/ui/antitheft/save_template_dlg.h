// CSaveTemplateDlg: stores the page's switch, AC Name and DNS boxes as a new named
// template.
#pragma once

#include <string>

#include "content/antitheft_command.h"
#include "ui/controls/t_dialog.h"

namespace plindar {

class CColorLine;
class CTButtonPicture;
class CTEditGdiplus;
class CTStaticGdiplus;

class CSaveTemplateDlg : public CTDialog {
    Q_OBJECT

public:
    // `page` is what the page holds when the dialog opens.
    CSaveTemplateDlg(const std::string& file_path, const antitheft_values& page,
                     QWidget* owner = nullptr);

    // The Save button: ends the dialog with Accepted once the template is written;
    // otherwise shows why and stays open.
    void SaveTemplate();

    CTStaticGdiplus* TitleLabel() const { return title_; }
    CTEditGdiplus* NameBox() const { return name_; }
    CTButtonPicture* SaveButton() const { return save_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* CloseButton() const { return close_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string file_path_;
    antitheft_values page_;
    bool opened_ = false;

    CTStaticGdiplus* title_ = nullptr;
    CTButtonPicture* close_ = nullptr;
    CTEditGdiplus* name_ = nullptr;
    CTButtonPicture* cancel_ = nullptr;
    CTButtonPicture* save_ = nullptr;
};

}  // namespace plindar
