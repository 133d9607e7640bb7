// Running the image cropping dialog on a chosen logo, as the customization page
// needs it: the cropped file, or nothing when the operator cancelled.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace plindar {

// Crops `source` for the logo with `owner` as the dialog's owner; the path of the
// written logo, or nullopt when the operator cancelled.
using crop_runner_fn = std::function<std::optional<QString>(const QString& source, QWidget* owner)>;

// The cropping dialog, modal.
std::optional<QString> RunCropDialog(const QString& source, QWidget* owner);

}  // namespace plindar
