// The about box: the program's name and version, and one button that closes it.
#pragma once

#include "ui/controls/t_dialog.h"

namespace plindar {

class CTButtonPicture;
class CTStaticGdiplus;

class CAboutDlg : public CTDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* owner);

    CTButtonPicture* OkButton() const { return ok_; }
    CTStaticGdiplus* VersionLabel() const { return version_; }

private:
    CTStaticGdiplus* version_;
    CTButtonPicture* ok_;
};

}  // namespace plindar
