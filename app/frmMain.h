// The program's hidden main form: while it is loaded the program runs.
#pragma once

#include "runtime/form.h"

runtime::Form& frmMain();
