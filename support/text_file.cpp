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

void requirePath(LPCWSTR path) {
  if (!path || !*path) fail(E_INVALIDARG, L"Не задано имя файла");
}

// Privoxy reads bytes, not UTF-16: a switch must not add 8-bit lines to such a file.
void refuseUtf16(LPCWSTR path, const ox::Bstr& bytes) {
  if (textcodec::isUtf16(bytes.bytes())) {
    fail(HRESULT_FROM_WIN32(ERROR_UNSUPPORTED_TYPE), L"Файл в кодировке UTF-16: " + std::wstring(path));
  }
}

// The file's bytes; a missing file is empty unless that is an error.
std::optional<ox::Bstr> readFile(LPCWSTR path, VARIANT_BOOL failIfMissing) {
  requirePath(path);
  std::optional<ox::Bstr> bytes = readWholeFile(path);
  if (!bytes && failIfMissing != VARIANT_FALSE) failWin32(ERROR_FILE_NOT_FOUND, path);
  if (bytes) refuseUtf16(path, *bytes);
  return bytes;
}

void writeFile(LPCWSTR path, const OxBytes* pieces, size_t count, VARIANT_BOOL overwrite, LONG* result) {
  requirePath(path);
  const size_t written = writeFileAtomically(path, pieces, count, overwrite != VARIANT_FALSE);
  if (result) *result = static_cast<LONG>(std::min<size_t>(written, LONG_MAX));
}

class TextFile : public ComObject<IOxTextFile> {
 public:
  HRESULT STDMETHODCALLTYPE ReadAll(LPCWSTR path, VARIANT_BOOL failIfMissing, BSTR* text) override {
    return ox::comMethod([&] {
      requirePointer(text);
      *text = nullptr;
      const std::optional<ox::Bstr> bytes = readFile(path, failIfMissing);
      const std::u16string decoded = textcodec::decode(bytes ? bytes->bytes() : std::string_view());
      putBstr(text, std::wstring_view(reinterpret_cast<const wchar_t*>(decoded.data()), decoded.size()));
    });
  }

  HRESULT STDMETHODCALLTYPE WriteAll(LPCWSTR path, BSTR text, VARIANT_BOOL overwrite, LONG* result) override {
    return ox::comMethod([&] {
      requirePath(path);
      const std::u16string_view characters(reinterpret_cast<const char16_t*>(text ? text : L""),
                                           text ? SysStringLen(text) : 0);
      const std::optional<std::string> bytes = textcodec::encode(characters, textcodec::toAnsiCodePage);
      if (!bytes) failWin32(ERROR_NO_UNICODE_TRANSLATION, path);
      const OxBytes piece{bytes->data(), bytes->size()};
      writeFile(path, &piece, 1, overwrite, result);
    });
  }

  HRESULT STDMETHODCALLTYPE ReadBytes(LPCWSTR path, VARIANT_BOOL failIfMissing, BSTR* bytes) override {
    return ox::comMethod([&] {
      requirePointer(bytes);
      *bytes = nullptr;
      std::optional<ox::Bstr> read = readFile(path, failIfMissing);
      *bytes = read ? read->release() : SysAllocStringByteLen(nullptr, 0);
      if (!*bytes) fail(E_OUTOFMEMORY, L"");
    });
  }

  HRESULT STDMETHODCALLTYPE WriteBytes(LPCWSTR path, const OxBytes* pieces, ULONG count, VARIANT_BOOL overwrite,
                                       LONG* result) override {
    return ox::comMethod([&] {
      if (count) requirePointer(pieces);
      writeFile(path, pieces, count, overwrite, result);
    });
  }

  HRESULT STDMETHODCALLTYPE OpenKeepingBackup(LPCWSTR path, LPCWSTR backupPath, IOxBackedUpFile** file) override;

  HRESULT STDMETHODCALLTYPE RemoveLeftovers(LPCWSTR path) override {
    return ox::comMethod([&] {
      requirePath(path);
      removeLeftovers(Target(path).folder);
    });
  }
};

class BackedUpFile : public ComObject<IOxBackedUpFile> {
 public:
  BackedUpFile(LPCWSTR path, LPCWSTR backupPath) : path_(path), file_(path, backupPath) {}

  HRESULT STDMETHODCALLTYPE ReadBytes(BSTR* bytes) override {
    return ox::comMethod([&] {
      requirePointer(bytes);
      *bytes = nullptr;
      ox::Bstr read = file_.read();
      refuseUtf16(path_.c_str(), read);
      *bytes = read.release();
    });
  }

  HRESULT STDMETHODCALLTYPE Replace(BSTR read, const OxBytes* pieces, ULONG count,
                                    VARIANT_BOOL* backupFailed) override {
    return ox::comMethod([&] {
      requirePointer(backupFailed);
      if (count) requirePointer(pieces);
      bool failed = false;
      try {
        file_.replace(std::string_view(reinterpret_cast<const char*>(read), SysStringByteLen(read)), pieces, count,
                      failed);
      } catch (const ox::Error&) {
        *backupFailed = ox::toVariantBool(failed);
        throw;
      }
      *backupFailed = VARIANT_FALSE;
    });
  }

 private:
  const std::wstring path_;
  BackedUpRead file_;
};

HRESULT TextFile::OpenKeepingBackup(LPCWSTR path, LPCWSTR backupPath, IOxBackedUpFile** file) {
  return ox::comMethod([&] {
    requirePointer(file);
    *file = nullptr;
    requirePath(path);
    requirePath(backupPath);
    *file = new BackedUpFile(path, backupPath);
  });
}

}  // namespace

OXAPI oxCreateTextFile(IOxTextFile** result) { return createObject<TextFile>(result); }
