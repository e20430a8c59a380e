#include "about_dialog.h"

#include <vector>

#include "errors.h"
#include "oxwin32.hpp"

namespace oxs {
namespace {

enum ControlId : WORD { kIcon = 100, kTitle, kVersion, kDescription, kDedication };
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// A DLGTEMPLATE with its items, laid out as DialogBoxIndirect reads it: WORD
// aligned strings, DWORD aligned items.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short width, short height, const wchar_t* caption, WORD pointSize, const wchar_t* font) {
    DLGTEMPLATE header{style, 0, 0, 0, 0, width, height};
    append(&header, sizeof header);
    words({0, 0});  // no menu, standard class
    text(caption);
    words({pointSize});
    text(font);
  }
  void add(WORD id, WORD windowClass, DWORD style, short x, short y, short width, short height, const wchar_t* text_) {
    align(4);
    DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, width, height, id};
    append(&item, sizeof item);
    words({0xFFFF, windowClass});
    text(text_);
    words({0});  // no creation data
    ++reinterpret_cast<DLGTEMPLATE*>(bytes_.data())->cdit;
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void append(const void* data, size_t size) {
    const auto* p = static_cast<const BYTE*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  void words(std::initializer_list<WORD> values) {
    for (WORD w : values) append(&w, sizeof w);
  }
  void text(const wchar_t* value) { append(value, (wcslen(value) + 1) * sizeof(wchar_t)); }
  void align(size_t to) { bytes_.resize((bytes_.size() + to - 1) / to * to); }

  std::vector<BYTE> bytes_;
};

// The edit control wants CR LF; resource texts often have bare LF.
std::wstring withCrLf(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto& content = *reinterpret_cast<const AboutContent*>(lParam);
      SetWindowTextW(dialog, content.caption.c_str());
      SetDlgItemTextW(dialog, kTitle, content.title.c_str());
      SetDlgItemTextW(dialog, kVersion, (L"Версия " + content.version).c_str());
      SetDlgItemTextW(dialog, kDescription, withCrLf(content.description).c_str());
      SetDlgItemTextW(dialog, kDedication, content.dedication.c_str());
      if (content.icon) SendDlgItemMessageW(dialog, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(content.icon), 0);
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR showAboutDialog(HWND owner, const AboutContent& content) {
  DialogTemplate layout(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 232, 170, L"", 9,
                        L"Tahoma");
  layout.add(kIcon, kStaticClass, SS_ICON, 10, 10, 21, 20, L"");
  layout.add(kTitle, kStaticClass, SS_LEFT | SS_NOPREFIX, 40, 10, 182, 10, L"");
  layout.add(kVersion, kStaticClass, SS_LEFT | SS_NOPREFIX, 40, 22, 182, 10, L"");
  layout.add(kDescription, kEditClass,
             ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 10, 40, 212, 84, L"");
  layout.add(kDedication, kStaticClass, SS_CENTER | SS_NOPREFIX, 10, 130, 212, 10, L"");
  layout.add(IDOK, kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 91, 148, 50, 14, L"OK");
  const INT_PTR result = DialogBoxIndirectParamW(ox::thisModule(), layout.get(), owner, aboutProc,
                                                 reinterpret_cast<LPARAM>(&content));
  checkWin32(result != -1 && result != 0, L"DialogBoxIndirectParam");
  return result;
}

}  // namespace oxs
