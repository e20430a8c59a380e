// The control's properties in its host's saved data: a property bag, or a
// stream holding the same named entries.
#include "bstr_text.h"
#include "oxerror.hpp"
#include "oxwin32.hpp"
#include "stream_property_bag.h"
#include "sys_tray.h"

namespace lumicon {
namespace {

// One stored property in the type that value asks for (any type when
// VT_EMPTY); false when the bag has none, so that the default applies. A bag
// that fails otherwise, or answers in another type, fails the step.
bool readStored(IPropertyBag* bag, LPCOLESTR name, ox::Variant& value) {
  const VARTYPE wanted = V_VT(value.get());
  const HRESULT status = bag->Read(name, value.get(), nullptr);
  if (status == E_INVALIDARG) return false;
  ox::check(status);
  if (wanted != VT_EMPTY && V_VT(value.get()) != wanted) ox::fail(DISP_E_TYPEMISMATCH, L"");
  return true;
}

}  // namespace

void SysTray::InitProperties() {
  // The host may let the control go while it hears of a change; the steps go on.
  const ox::Ptr<_SysTray> keepAlive(this);
  setVisible(false);
  setCaption(std::wstring());
  setIcon(nullptr);
  HookTaskbar();
}

void SysTray::ReadProperties(IPropertyBag* bag) {
  const ox::Ptr<_SysTray> keepAlive(this);  // as in InitProperties
  skippingFailure([&] {
    ox::Variant visible(VT_BOOL);
    setVisible(readStored(bag, L"Visible", visible) && V_BOOL(visible.get()) != VARIANT_FALSE);
  });
  skippingFailure([&] {
    ox::Variant icon;
    if (!readStored(bag, L"Icon", icon)) return setIcon(nullptr);
    const VARTYPE type = V_VT(icon.get());
    if (type != VT_DISPATCH && type != VT_UNKNOWN) return;
    ox::Ptr<IPictureDisp> picture;
    if (V_UNKNOWN(icon.get()) &&
        FAILED(V_UNKNOWN(icon.get())->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(picture.put()))))
      return;
    setIcon(picture.get());
  });
  skippingFailure([&] {
    ox::Variant caption(VT_BSTR);
    setCaption(readStored(bag, L"Caption", caption) ? text(V_BSTR(caption.get())) : std::wstring());
  });
  skippingFailure([&] { HookTaskbar(); });
}

// A value equal to its default is left out; DevoteTo has none.
void SysTray::WriteProperties(IPropertyBag* bag) {
  skippingFailure([&] {
    if (!VisibleValue) return;
    ox::check(bag->Write(L"Visible", ox::Variant::boolean(true).get()));
  });
  skippingFailure([&] {
    if (!IconValue) return;
    ox::check(bag->Write(L"Icon", ox::Variant::object(IconValue.get()).get()));
  });
  skippingFailure([&] {
    if (CaptionValue.empty()) return;
    ox::check(bag->Write(L"Caption", ox::Variant(CaptionValue).get()));
  });
  skippingFailure([&] {
    ox::check(bag->Write(L"DevoteTo", ox::Variant(L"Tamsel ^_^").get()));
  });
}

HRESULT SysTray::GetClassID(CLSID* result) {
  if (!result) return E_POINTER;
  *result = CLSID_SysTray;
  return S_OK;
}

HRESULT SysTray::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT SysTray::InitNew() { return ox::comMethod([&] { InitProperties(); }); }

HRESULT SysTray::Load(IPropertyBag* bag, IErrorLog*) {
  if (!bag) return E_POINTER;
  return ox::comMethod([&] { ReadProperties(bag); });
}

HRESULT SysTray::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  WriteProperties(bag);
  if (clearDirty) dirty_ = false;
  return S_OK;
}

HRESULT SysTray::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  return ox::comMethod([&] {
    StreamPropertyBag bag;
    bag.load(stream);
    ReadProperties(&bag);
  });
}

HRESULT SysTray::Save(IStream* stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  return ox::comMethod([&] {
    StreamPropertyBag bag;
    WriteProperties(&bag);
    bag.save(stream);
    if (clearDirty) dirty_ = false;
  });
}

HRESULT SysTray::GetSizeMax(ULARGE_INTEGER* size) {
  if (size) size->QuadPart = 0;
  return E_NOTIMPL;
}

}  // namespace lumicon
