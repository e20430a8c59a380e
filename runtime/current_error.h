// The exception being handled, as the error that the program reports.
#pragma once

#include "oxlensupport.hpp"

namespace runtime {

// Call only inside a catch.
ox::Error currentError();

}  // namespace runtime
