// FileDialog: the system's Open dialog.
#include "oxlensupport.h"

#include <commdlg.h>

#include <vector>

#include "com_object.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

// Longest path the platform allows, with its terminator.
constexpr size_t kPathCapacity = 32768;

class FileDialog : public ComObject<IOxFileDialog> {
 public:
  HRESULT STDMETHODCALLTYPE put_InitialFileName(LPCWSTR value) override {
    return ox::comMethod([&] {
      const std::wstring name = orEmpty(value);
      if (name.size() >= kPathCapacity) fail(E_INVALIDARG, L"Слишком длинное имя файла");
      initialFileName_ = name;
    });
  }
  // "name|pattern|name|pattern" becomes the NUL-separated pairs the dialog takes.
  HRESULT STDMETHODCALLTYPE put_Filter(LPCWSTR value) override {
    return ox::comMethod([&] {
      std::wstring filter = orEmpty(value);
      size_t bars = 0;
      for (wchar_t& c : filter) {
        if (c == L'|') {
          c = L'\0';
          ++bars;
        }
      }
      if (!filter.empty() && bars % 2 == 0) fail(E_INVALIDARG, L"Фильтр: пары «название|шаблон»");
      if (!filter.empty()) filter += std::wstring(2, L'\0');
      filter_ = filter;
    });
  }
  HRESULT STDMETHODCALLTYPE put_FilterIndex(LONG value) override {
    return ox::comMethod([&] {
      if (value < 0) fail(E_INVALIDARG, L"FilterIndex");
      filterIndex_ = value;
    });
  }
  HRESULT STDMETHODCALLTYPE put_OwnerWindow(HWND value) override {
    return ox::comMethod([&] { owner_ = value; });
  }

  HRESULT STDMETHODCALLTYPE ShowOpen(VARIANT_BOOL* chosen) override {
    return ox::comMethod([&] {
      requirePointer(chosen);
      *chosen = VARIANT_FALSE;
      std::vector<wchar_t> buffer(kPathCapacity, L'\0');
      // A full path opens the dialog in its folder with just the name filled in.
      std::wstring folder;
      std::wstring name = initialFileName_;
      const size_t slash = name.find_last_of(L"\\/");
      if (slash != std::wstring::npos) {
        folder = name.substr(0, slash + 1);
        name.erase(0, slash + 1);
      }
      name.copy(buffer.data(), name.size());
      OPENFILENAMEW dialog{};
      dialog.lStructSize = sizeof dialog;
      dialog.hwndOwner = owner_;
      dialog.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
      dialog.nFilterIndex = static_cast<DWORD>(filterIndex_) + 1;
      dialog.lpstrFile = buffer.data();
      dialog.nMaxFile = static_cast<DWORD>(buffer.size());
      dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
      dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
      if (GetOpenFileNameW(&dialog)) {
        fileName_ = buffer.data();
        *chosen = VARIANT_TRUE;
        return;
      }
      if (const DWORD error = CommDlgExtendedError()) {
        fail(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, error), L"Диалог открытия файла: код 0x" + hexEx4(error));
      }
    });
  }

  HRESULT STDMETHODCALLTYPE get_FileName(BSTR* result) override {
    return ox::comMethod([&] { putBstr(result, fileName_); });
  }

 private:
  std::wstring initialFileName_;
  std::wstring filter_;
  LONG filterIndex_ = 0;
  HWND owner_ = nullptr;
  std::wstring fileName_;
};

}  // namespace

OXAPI oxCreateFileDialog(IOxFileDialog** result) { return createObject<FileDialog>(result); }
