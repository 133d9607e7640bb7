// CLoadTemplateDlg: lists the anti-theft templates, fills the page from one and
// deletes them.
#pragma once

#include <string>

#include "content/antitheft_templates.h"
#include "ui/controls/t_dialog.h"

class QTimer;

namespace plindar {

class CColorLine;
class CCustomComboBox;
class CTButtonPicture;
class CTStaticGdiplus;

class CLoadTemplateDlg : public CTDialog {
    Q_OBJECT

public:
    // Lists the templates of `file_path`, preselecting the page's remembered name.
    // Load fills `page`, which must outlive the dialog, and ends it with Accepted.
    CLoadTemplateDlg(const std::string& file_path, antitheft_page_stu* page,
                     QWidget* owner = nullptr);

    // The Load button: fills the page from the selected template.
    void LoadTemplate();
    // The delete button: removes the selected template; the dialog stays open.
    void DeleteTemplate();

    CTStaticGdiplus* TitleLabel() const { return title_; }
    CCustomComboBox* TemplateList() const { return list_; }
    CTButtonPicture* DeleteButton() const { return delete_; }
    CTButtonPicture* LoadButton() const { return load_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* CloseButton() const { return close_; }
    // Shows the delete button exactly while an entry is selected.
    QTimer* DeleteButtonTimer() const { return delete_timer_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillList();
    void UpdateDeleteButton();

    CTemplateLoadDlgModel model_;
    antitheft_page_stu* page_;
    std::string list_error_;
    bool opened_ = false;

    CTStaticGdiplus* title_ = nullptr;
    CTButtonPicture* close_ = nullptr;
    CCustomComboBox* list_ = nullptr;
    CTButtonPicture* delete_ = nullptr;
    CTButtonPicture* cancel_ = nullptr;
    CTButtonPicture* load_ = nullptr;
    QTimer* delete_timer_ = nullptr;
};

}  // namespace plindar
