// Text lookup for everything shown to the operator or stored as a status text.
#pragma once

// TranslateText lives with the language choice it reads.
#include "records/language.h"
