// The runtime's hidden application window and the application object.
#pragma once

#include "oxlensupport.h"

#include <string>

namespace oxs {

// The OX_APP_WINDOW_CLASS window of the calling thread; nullptr when none.
HWND findAppWindow();
// The application's title: the caption of that window, else the program's
// file name.
std::wstring applicationTitle();

using ApplicationText = HRESULT (STDMETHODCALLTYPE IOxApplication::*)(BSTR*);
// One text property of the application object; its failure is passed on.
std::wstring readApplication(IOxApplication* app, ApplicationText property);

}  // namespace oxs
