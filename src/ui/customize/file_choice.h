// The open-file dialog of the customization page, and the filter texts it shows.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace plindar {

// Asks the operator for one existing file; `filter` is in Qt's form ("Text (*.a
// *.b);;Other (*.c)"). The chosen path, or nullopt when the dialog was cancelled.
using open_file_fn = std::function<std::optional<QString>(QWidget* owner, const QString& filter)>;

// The filter texts as the program's resources write them, pairs of a description
// and its patterns separated by '|' and ended by "||" ("Files (*.xml)|*.xml||"),
// in Qt's form: each description with its parenthesised list replaced by the
// patterns (blank-separated, as Qt reads them), or the list added when it has
// none; entries joined by ";;". A description without patterns is dropped.
QString QtFileFilter(const QString& paired);

// The desktop's open-file dialog, modal.
std::optional<QString> ChooseOpenFile(QWidget* owner, const QString& filter);

}  // namespace plindar
