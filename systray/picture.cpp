#include "picture.h"

#include "oxerror.hpp"
#include "oxwin32.hpp"

namespace lumicon {
namespace {

LONG readLong(IPictureDisp* picture, DISPID member) {
  DISPPARAMS none = {};
  ox::Variant value;
  ox::check(picture->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(), nullptr,
                            nullptr));
  ox::check(VariantChangeType(value.get(), value.get(), 0, VT_I4));
  return V_I4(value.get());
}

}  // namespace

SHORT pictureType(IPictureDisp* picture) { return static_cast<SHORT>(readLong(picture, DISPID_PICT_TYPE)); }

// OLE_HANDLE is 32 bits wide on every platform; handles fit in it.
HICON pictureHandle(IPictureDisp* picture) {
  return reinterpret_cast<HICON>(static_cast<LONG_PTR>(readLong(picture, DISPID_PICT_HANDLE)));
}

}  // namespace lumicon
