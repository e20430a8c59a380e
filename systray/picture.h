// What the control reads from a picture object, through its dispatch
// interface as any automation client would.
#pragma once

#include <ole2.h>
#include <olectl.h>

namespace lumicon {

// PICTYPE_ICON, PICTYPE_BITMAP, ...
SHORT pictureType(IPictureDisp* picture);
HICON pictureHandle(IPictureDisp* picture);

}  // namespace lumicon
