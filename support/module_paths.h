// The running program's name, as the library's defaults use it.
#pragma once

#include <string>

namespace oxs {

// The program's file name without folder and extension ("Veilmark").
std::wstring programBaseName();

}  // namespace oxs
