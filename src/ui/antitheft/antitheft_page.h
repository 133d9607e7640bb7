// CAntiTheftProtectionDlg: the page on which the operator enters the anti-theft
// settings for the ticked devices, fills them from templates and starts the run.
#pragma once

#include <string>
#include <vector>

#include "content/antitheft_command.h"
#include "content/antitheft_templates.h"
#include "ui/page.h"

namespace plindar {

class CColorLine;
class CTButtonPicture;
class CTEditGdiplus;
class CTStaticGdiplus;

class CAntiTheftProtectionDlg : public CPage {
    Q_OBJECT

public:
    explicit CAntiTheftProtectionDlg(QWidget* parent = nullptr);

    QWidget* InitialFocus() override;
    void SetSelectedDevices(const std::vector<std::string>& macs) override;
    const std::vector<std::string>& SelectedDevices() const { return selected_; }

    bool SwitchOn() const { return switch_on_; }
    // The template last loaded into the page; the load dialog preselects it.
    const std::string& TemplateName() const { return template_name_; }

    // What the boxes and the switch hold now, as typed.
    antitheft_values Values() const;

    CTStaticGdiplus* TitleLabel() const { return title_; }
    CTButtonPicture* CloseButton() const { return close_; }
    CTButtonPicture* LoadTemplateButton() const { return load_template_; }
    CTButtonPicture* SaveTemplateButton() const { return save_template_; }
    CTEditGdiplus* LockCodeBox() const { return lock_code_; }
    CTEditGdiplus* ConfirmLockCodeBox() const { return confirm_lock_code_; }
    CTStaticGdiplus* HelpText() const { return help_; }
    CTStaticGdiplus* SwitchLabel() const { return switch_label_; }
    CTButtonPicture* SwitchButton() const { return switch_; }
    CTStaticGdiplus* EnableLabel() const { return enable_label_; }
    CTEditGdiplus* AcNameBox() const { return ac_name_; }
    CTEditGdiplus* PrimaryDnsBox() const { return primary_dns_; }
    CTEditGdiplus* SecondaryDnsBox() const { return secondary_dns_; }
    CColorLine* BottomLine() const { return bottom_line_; }
    CTButtonPicture* CancelButton() const { return cancel_; }
    CTButtonPicture* ApplyButton() const { return apply_; }
    // The controls of the rows that only the switched-on page shows.
    std::vector<QWidget*> SwitchedRows() const;

private:
    struct labelled_box {
        CTStaticGdiplus* label;
        CTStaticGdiplus* mark;  // the star of a required box, the note of an optional one
        CTEditGdiplus* box;
        bool optional;
    };

    enum class RowMark {
        kRequired,  // a red star
        kOptional,  // a grey "(optional)"
    };

    void CreateControls();
    labelled_box AddRow(const char* label, RowMark mark, size_t limit);
    void StyleControls();
    void PlaceControls();
    void PlaceMark(const labelled_box& row);

    void OnSwitch();
    void OnApply();
    void OnReturn();
    void OnLoadTemplate();
    void OnSaveTemplate();

    // Shows the switch's rows (or not), resizes, re-centres and focuses the Lock Code.
    void LayOutForSwitch();
    void FillFrom(const antitheft_page_stu& loaded);
    // The values a template keeps: an untouched DNS box is stored as its hint.
    antitheft_values TemplateValues() const;
    CTEditGdiplus* BoxOf(AntiTheftField field) const;
    void Note(const QString& text);

    std::vector<std::string> selected_;
    std::string template_name_;
    bool switch_on_ = true;

    CTStaticGdiplus* title_ = nullptr;
    CTButtonPicture* close_ = nullptr;
    CColorLine* top_line_ = nullptr;
    CTButtonPicture* load_template_ = nullptr;
    CTButtonPicture* save_template_ = nullptr;
    labelled_box lock_row_{};
    labelled_box confirm_row_{};
    CTStaticGdiplus* help_ = nullptr;
    CTStaticGdiplus* switch_label_ = nullptr;
    CTButtonPicture* switch_ = nullptr;
    CTStaticGdiplus* enable_label_ = nullptr;
    labelled_box ac_name_row_{};
    labelled_box primary_dns_row_{};
    labelled_box secondary_dns_row_{};
    CColorLine* bottom_line_ = nullptr;
    CTButtonPicture* cancel_ = nullptr;
    CTButtonPicture* apply_ = nullptr;

    CTEditGdiplus* lock_code_ = nullptr;
    CTEditGdiplus* confirm_lock_code_ = nullptr;
    CTEditGdiplus* ac_name_ = nullptr;
    CTEditGdiplus* primary_dns_ = nullptr;
    CTEditGdiplus* secondary_dns_ = nullptr;
};

}  // namespace plindar
