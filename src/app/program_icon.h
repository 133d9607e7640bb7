// The program's icon, drawn rather than loaded so it exists whatever the skin holds.
#pragma once

#include <QIcon>

namespace plindar {

QIcon ProgramIcon();

}  // namespace plindar
