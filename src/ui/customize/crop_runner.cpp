// The cropping dialog as the customization page runs it.
#include "ui/customize/crop_runner.h"

#include "ui/crop/avatar_crop_dlg.h"

namespace plindar {

std::optional<QString> RunCropDialog(const QString& source, QWidget* owner) {
    CAvatarCropDlg dialog(source, owner);
    if (dialog.exec() == QDialog::Accepted) {
        return dialog.OutputPath();
    }
    return std::nullopt;
}

}  // namespace plindar
