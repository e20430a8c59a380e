// MessageDialogs: the error box and the About box.
#include "oxlensupport.h"

#include "about_dialog.h"
#include "app_window.h"
#include "com_object.h"
#include "handles.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

std::wstring errorNumber(LONG number) {
  // Status codes read best in hexadecimal, plain error numbers in decimal.
  return number < 0 ? L"0x" + hexEx4(static_cast<DWORD>(number)) : std::to_wstring(number);
}

// The picture's icon, else the program's main icon; `owned` keeps a loaded one.
HICON aboutIcon(IPictureDisp* picture, UniqueIcon& owned) {
  if (picture) {
    IPicture* icon = nullptr;
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_NONE;
    if (SUCCEEDED(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&icon)))) {
      icon->get_Type(&type);
      icon->get_Handle(&handle);
      icon->Release();
      if (type == PICTYPE_ICON && handle) return reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle));
    }
  }
  owned.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"A_MAIN", IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
  return owned ? owned.get() : LoadIconW(nullptr, IDI_APPLICATION);
}

class MessageDialogs : public ComObject<IOxMessageDialogs> {
 public:
  HRESULT STDMETHODCALLTYPE ShowError(LONG number, LPCWSTR description, LONG style, HWND owner, LPCWSTR message,
                                      LONG flags, LONG* result) override {
    return ox::comMethod([&] {
      if (flags != 0) fail(E_INVALIDARG, L"flags");
      std::wstring text = orEmpty(message) + L"\n\nОшибка " + errorNumber(number);
      if (description && *description) text += L": " + std::wstring(description);
      const UINT boxStyle = (static_cast<UINT>(style) & ~MB_TYPEMASK) | MB_OK;
      const int answer = MessageBoxW(owner, text.c_str(), applicationTitle().c_str(), boxStyle);
      checkWin32(answer != 0, L"MessageBox");
      if (result) *result = answer;
    });
  }

  HRESULT STDMETHODCALLTYPE ShowAbout(HWND owner, IOxApplication* app, LPCWSTR description, IPictureDisp* picture,
                                      LPCWSTR dedication, LONG* result) override {
    return ox::comMethod([&] {
      AboutContent content;
      content.title = app ? readApplication(app, &IOxApplication::get_ProductName) : applicationTitle();
      content.version = app ? readApplication(app, &IOxApplication::get_Version) : L"";
      content.caption = L"О программе " + content.title;
      content.description = orEmpty(description);
      content.dedication = orEmpty(dedication);
      UniqueIcon owned;
      content.icon = aboutIcon(picture, owned);
      const INT_PTR answer = showAboutDialog(owner, content);
      if (result) *result = static_cast<LONG>(answer);
    });
  }
};

}  // namespace

OXAPI oxCreateMessageDialogs(IOxMessageDialogs** result) { return createObject<MessageDialogs>(result); }
