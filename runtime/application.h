// The running program as forms and the support library see it: title,
// product name, version and folder. They come from the module's version
// resource, so each is written down in one place only.
#pragma once

#include "oxlensupport.hpp"

#include <string>

namespace runtime {

class Application final : public IOxApplication {
 public:
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  const std::wstring& title() const { return title_; }
  // The program's own folder.
  const std::wstring& path() const { return path_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  // The one instance lives as long as the process: counting is a formality.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE get_Title(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* result) override;

 private:
  friend Application& application();
  Application();

  std::wstring title_;
  std::wstring productName_;
  std::wstring version_;
  std::wstring path_;
};

// The process-wide instance, read on first use.
Application& application();

}  // namespace runtime
