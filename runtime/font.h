// One GDI font, owned: created for a form, released with it.
#pragma once

#include <windows.h>

namespace runtime {

class Font {
 public:
  // points at the screen's vertical resolution; weight FW_*; charset *_CHARSET.
  Font(const wchar_t* face, int points, int weight, BYTE charset);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  HFONT handle() const { return font_; }

 private:
  HFONT font_;
};

}  // namespace runtime
