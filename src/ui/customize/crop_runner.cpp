// The cropping dialog as the customization page runs it.
#include "ui/customize/crop_runner.h"

namespace plindar {

std::optional<QString> RunCropDialog(const QString& source, QWidget* owner) {
    // The cropping dialog is not part of this build yet, so every crop ends as if
    // the operator had cancelled it. Once it is, this body becomes:
    //   CAvatarCropDlg dialog(source, owner);
    //   if (dialog.exec() == QDialog::Accepted) return dialog.OutputPath();
    //   return std::nullopt;
    (void)source;
    (void)owner;
    return std::nullopt;
}

}  // namespace plindar
