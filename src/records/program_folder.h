// The program folder: where every file of the system is found and written.
#pragma once

#include <string>

namespace plindar {

// The folder of the running executable with a trailing slash, or the folder named
// by PLINDAR_HOME (with a slash added when missing) so that tests and operators
// can run the program against another folder. Computed once, on first use.
const std::string& GetProgramFolder();

// The folder of the running executable with a trailing slash, whatever PLINDAR_HOME
// says: where the shipped resources are staged.
std::string GetExecutableFolder();

}  // namespace plindar
