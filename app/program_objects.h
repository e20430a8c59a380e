// The support objects the program keeps one of, each made on first use and
// held until the process ends.
#pragma once

#include "oxlensupport.hpp"

IOxTextFile& TextFile();
IOxMessageDialogs& MessageDialogs();
IOxAutoRun& AutoRun();
