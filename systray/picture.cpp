#include "picture.h"

#include "oxerror.hpp"

namespace lumicon {
namespace {

VARIANT readProperty(IPictureDisp* picture, DISPID member) {
  DISPPARAMS none = {};
  VARIANT value;
  VariantInit(&value);
  ox::check(picture->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                        nullptr));
  return value;
}

LONG readLong(IPictureDisp* picture, DISPID member) {
  VARIANT value = readProperty(picture, member);
  const HRESULT status = VariantChangeType(&value, &value, 0, VT_I4);
  if (FAILED(status)) VariantClear(&value);
  ox::check(status);
  return V_I4(&value);
}

}  // namespace

SHORT pictureType(IPictureDisp* picture) { return static_cast<SHORT>(readLong(picture, DISPID_PICT_TYPE)); }

// OLE_HANDLE is 32 bits wide on every platform; handles fit in it.
HICON pictureHandle(IPictureDisp* picture) {
  return reinterpret_cast<HICON>(static_cast<LONG_PTR>(readLong(picture, DISPID_PICT_HANDLE)));
}

}  // namespace lumicon
