// What happens to an error nobody handled: one message box with its number
// and description, then the program ends.
#pragma once

#include "oxlensupport.hpp"

// The exit code of a program ended by an unhandled error.
constexpr UINT kUnhandledErrorExitCode = 1;

[[noreturn]] void ReportUnhandledError(const ox::Error& error);
