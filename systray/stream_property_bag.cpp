#include "stream_property_bag.h"

#include <olectl.h>

#include "oxerror.hpp"
#include "oxlensupport.hpp"
#include "oxwin32.hpp"

namespace lumicon {
namespace {

constexpr DWORD kFormatVersion = 1;

template <class T>
void put(IStream* stream, const T& value) {
  ULONG written = 0;
  ox::check(stream->Write(&value, sizeof value, &written));
  if (written != sizeof value) ox::fail(STG_E_WRITEFAULT, L"");
}

template <class T>
T take(IStream* stream) {
  T value{};
  ULONG read = 0;
  ox::check(stream->Read(&value, sizeof value, &read));
  if (read != sizeof value) ox::fail(STG_E_READFAULT, L"");
  return value;
}

void putText(IStream* stream, const wchar_t* text, DWORD length) {
  put(stream, length);
  ULONG written = 0;
  const ULONG bytes = length * sizeof(wchar_t);
  ox::check(stream->Write(text, bytes, &written));
  if (written != bytes) ox::fail(STG_E_WRITEFAULT, L"");
}

std::wstring takeText(IStream* stream) {
  const DWORD length = take<DWORD>(stream);
  if (length > 0x100000) ox::fail(STG_E_READFAULT, L"");
  std::wstring text(length, L'\0');
  ULONG read = 0;
  const ULONG bytes = length * sizeof(wchar_t);
  ox::check(stream->Read(text.data(), bytes, &read));
  if (read != bytes) ox::fail(STG_E_READFAULT, L"");
  return text;
}

// The standard picture stored at this point, or none when the stream names
// another class: saved data must not make the control create just any class.
ox::Ptr<IPersistStream> loadPicture(IStream* stream) {
  CLSID stored;
  ox::check(ReadClassStm(stream, &stored));
  if (!IsEqualCLSID(stored, CLSID_StdPicture)) return {};
  ox::Ptr<IPersistStream> picture;
  ox::check(CoCreateInstance(CLSID_StdPicture, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStream,
                             reinterpret_cast<void**>(picture.put())));
  ox::check(picture->Load(stream));
  return picture;
}

bool storable(VARTYPE type) { return type == VT_BOOL || type == VT_BSTR || type == VT_DISPATCH || type == VT_UNKNOWN; }

}  // namespace

HRESULT StreamPropertyBag::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
    *result = static_cast<IPropertyBag*>(this);
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

HRESULT StreamPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  const HRESULT status = values_.read(name, value);
  return status == E_INVALIDARG && !complete_ ? STG_E_READFAULT : status;
}

HRESULT StreamPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  if (!name || !value) return E_POINTER;
  if (!storable(V_VT(value))) return E_INVALIDARG;
  ox::Variant copy;
  const HRESULT status = VariantCopy(copy.put(), value);
  if (FAILED(status)) return status;
  return ox::comMethod([&] { values_.add(name, std::move(copy)); });
}

void StreamPropertyBag::save(IStream* stream) const {
  put(stream, kFormatVersion);
  put(stream, static_cast<DWORD>(values_.entries().size()));
  for (const auto& [name, value] : values_.entries()) {
    putText(stream, name.c_str(), static_cast<DWORD>(name.size()));
    put(stream, V_VT(value.get()));
    switch (V_VT(value.get())) {
      case VT_BOOL:
        put(stream, V_BOOL(value.get()));
        break;
      case VT_BSTR:
        putText(stream, V_BSTR(value.get()), SysStringLen(V_BSTR(value.get())));
        break;
      default: {
        ox::Ptr<IPersistStream> persist;
        const bool present = V_UNKNOWN(value.get()) != nullptr;
        put(stream, static_cast<BYTE>(present));
        if (!present) break;
        ox::check(V_UNKNOWN(value.get())->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.put())));
        ox::check(OleSaveToStream(persist.get(), stream));
      }
    }
  }
}

void StreamPropertyBag::load(IStream* stream) {
  if (take<DWORD>(stream) != kFormatVersion) ox::fail(STG_E_OLDFORMAT, L"");
  const DWORD count = take<DWORD>(stream);
  for (DWORD i = 0; i < count; ++i) {
    const std::wstring name = takeText(stream);
    ox::Variant value;
    switch (take<VARTYPE>(stream)) {
      case VT_BOOL:
        value = ox::Variant::boolean(ox::isTrue(take<VARIANT_BOOL>(stream)));
        break;
      case VT_BSTR:
        value = ox::Variant(takeText(stream));
        break;
      case VT_DISPATCH:
      case VT_UNKNOWN: {
        ox::Ptr<IPersistStream> picture;
        // The foreign object's data has no known end: nothing after it can be read.
        if (take<BYTE>(stream) && !(picture = loadPicture(stream))) {
          complete_ = false;
          return;
        }
        value = ox::Variant::object(picture.get());
        break;
      }
      default:
        ox::fail(STG_E_READFAULT, L"");
    }
    values_.add(name, std::move(value));
  }
}

}  // namespace lumicon
