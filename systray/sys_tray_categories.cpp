// Where property browsers that group by category show the properties.
#include "sys_tray.h"

namespace lumicon {
namespace {

// The browsers' own predefined categories, which they also name themselves.
constexpr int kCategoryMisc = -2;
constexpr int kCategoryBehavior = -6;

}  // namespace

HRESULT SysTray::MapPropertyToCategory(DISPID property, int* category) {
  if (!category) return E_POINTER;
  switch (property) {
    case kDispidCaption:
      *category = kCategoryMisc;
      return S_OK;
    case kDispidVisible:
      *category = kCategoryBehavior;
      return S_OK;
  }
  return E_FAIL;
}

HRESULT SysTray::GetCategoryName(int, LCID, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  return E_FAIL;
}

}  // namespace lumicon
