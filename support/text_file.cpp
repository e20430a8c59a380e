// TextFile: whole-file text I/O that gives back every byte it read.
#include "oxlensupport.h"

#include <climits>

#include "com_object.h"
#include "file_io.h"
#include "support/ansi_code_page.h"
#include "support/textcodec.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

class TextFile : public ComObject<IOxTextFile> {
 public:
  HRESULT STDMETHODCALLTYPE ReadAll(LPCWSTR path, VARIANT_BOOL failIfMissing, BSTR* text) override {
    return ox::comMethod([&] {
      requirePointer(text);
      *text = nullptr;
      if (!path || !*path) fail(E_INVALIDARG, L"Не задано имя файла");
      const std::optional<std::string> bytes = readWholeFile(path);
      if (!bytes && failIfMissing != VARIANT_FALSE) failWin32(ERROR_FILE_NOT_FOUND, path);
      // Privoxy reads bytes, not UTF-16: a switch must not add 8-bit lines to such a file.
      if (bytes && textcodec::isUtf16(*bytes)) {
        fail(HRESULT_FROM_WIN32(ERROR_UNSUPPORTED_TYPE), L"Файл в кодировке UTF-16: " + std::wstring(path));
      }
      const std::u16string decoded = textcodec::decode(bytes ? *bytes : std::string());
      putBstr(text, std::wstring_view(reinterpret_cast<const wchar_t*>(decoded.data()), decoded.size()));
    });
  }

  HRESULT STDMETHODCALLTYPE WriteAll(LPCWSTR path, BSTR text, VARIANT_BOOL overwrite, LONG* result) override {
    return ox::comMethod([&] {
      if (!path || !*path) fail(E_INVALIDARG, L"Не задано имя файла");
      const std::u16string_view characters(reinterpret_cast<const char16_t*>(text ? text : L""),
                                           text ? SysStringLen(text) : 0);
      const std::optional<std::string> bytes = textcodec::encode(characters, textcodec::toAnsiCodePage);
      if (!bytes) failWin32(ERROR_NO_UNICODE_TRANSLATION, path);
      const size_t written = writeFileAtomically(path, *bytes, overwrite != VARIANT_FALSE);
      if (result) *result = static_cast<LONG>(std::min<size_t>(written, LONG_MAX));
    });
  }
};

}  // namespace

OXAPI oxCreateTextFile(IOxTextFile** result) { return createObject<TextFile>(result); }
