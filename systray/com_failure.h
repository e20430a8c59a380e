// How failures travel inside the library: a failing status becomes a thrown
// ComFailure, and every COM method turns it back into its result status.
#pragma once

#include <windows.h>

#include <string>

namespace lumicon {

struct ComFailure {
  HRESULT status;
};

inline void check(HRESULT status) {
  if (FAILED(status)) throw ComFailure{status};
}

// The status of the exception being handled. Call only inside a catch.
HRESULT currentStatus() noexcept;

// "Error 0x80004005" plus the description of the thread's COM error object,
// if the failing call left one. Call only inside a catch.
std::wstring describeCurrentFailure();

template <class Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return currentStatus();
  }
}

}  // namespace lumicon
