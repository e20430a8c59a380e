#include "module_paths.h"

#include "oxwin32.hpp"

namespace oxs {

std::wstring programBaseName() {
  std::wstring name = ox::modulePath(nullptr);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace oxs
