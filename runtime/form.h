// A top-level window with controls and the events of a form: Load when it is
// loaded, Unload when it goes, Paint, and the commands of its controls. It is
// loaded hidden, can be shown modally, and can be loaded again after it was
// unloaded (Load then runs again). The program runs while any form is loaded.
#pragma once

#include "runtime/twips.h"

#include "oxlensupport.hpp"

#include <windows.h>

namespace runtime {

struct FormFrame {
  const wchar_t* caption;
  DWORD style;  // WS_VISIBLE is added by showing, never here
  DWORD exStyle;
  int clientWidth;  // twips
  int clientHeight;
};

// One child window of a form, placed in twips.
struct Control {
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;  // WS_CHILD | WS_VISIBLE are implied
  DWORD exStyle;
  int id;
  TwipsRect place;
};

class Form {
 public:
  // A failure inside the form's window procedure goes to `onFailure`, which
  // its owner chooses; the message is then passed on as if unhandled.
  Form(const FormFrame& frame, ox::FailureHandler onFailure) : frame_(frame), onFailure_(onFailure) {}
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window hidden with its controls, then runs Load. Nothing
  // happens when the form is loaded already.
  void load();
  // Runs Unload, then destroys the window.
  void unload();
  // Loads the form if needed, shows it and returns once it is unloaded.
  void showModal();

  bool isLoaded() const { return window_ != nullptr; }
  HWND hwnd() const { return window_; }

  static bool anyLoaded();
  // Unloads every loaded form, the last loaded first.
  static void unloadAll();

 protected:
  // Controls are created in creation order, which is their tab order.
  HWND addControl(const Control& control, HFONT font);

  virtual void createControls() {}
  virtual void Load() {}
  virtual void Unload() {}
  virtual void Paint(HDC) {}
  // WM_COMMAND: a control's notification, or the dialog keys' IDOK/IDCANCEL.
  virtual void Command(int, int) {}
  // Background of a static control; nullptr leaves the default.
  virtual HBRUSH StaticBackground(HDC, HWND) { return nullptr; }
  // Any other message, before its default handling.
  virtual void Message(UINT, WPARAM, LPARAM) {}

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void attach(HWND window);
  void detach();

  FormFrame frame_;
  ox::FailureHandler onFailure_;
  HWND window_ = nullptr;
};

}  // namespace runtime
