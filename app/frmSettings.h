// The settings dialog: the path of Privoxy's configuration file, typed or
// chosen, stored on OK.
#pragma once

#include "runtime/font.h"
#include "runtime/form.h"

class FrmSettings final : public runtime::Form {
 public:
  FrmSettings();

 private:
  void createControls() override;
  void Load() override;
  void Paint(HDC dc) override;
  void Command(int id, int code) override;
  HBRUSH StaticBackground(HDC dc, HWND control) override;

  void cmdBrowseConfig_Click();
  void cmdOk_Click();
  void SaveSettings();

  const runtime::Font font_;
  HWND lblTag_ = nullptr;
  HWND txtConfigFileName_ = nullptr;
};
