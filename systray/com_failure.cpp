#include "com_failure.h"

#include <oleauto.h>

#include <cstdio>
#include <new>

#include "oxlensupport.hpp"

namespace lumicon {

HRESULT currentStatus() noexcept {
  try {
    throw;
  } catch (const ComFailure& failure) {
    return failure.status;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

std::wstring describeCurrentFailure() {
  wchar_t number[32];
  std::swprintf(number, 32, L"Error 0x%08lX", static_cast<unsigned long>(currentStatus()));
  std::wstring text = number;
  ox::Ptr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK && info) {
    ox::Bstr description;
    if (SUCCEEDED(info->GetDescription(description.put())) && !description.str().empty())
      text += L": " + description.str();
  }
  return text;
}

}  // namespace lumicon
