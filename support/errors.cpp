#include "errors.h"

namespace oxs {

void requirePointer(const void* pointer) {
  if (!pointer) fail(E_POINTER, L"");
}

}  // namespace oxs
