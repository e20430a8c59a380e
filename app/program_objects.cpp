#include "app/program_objects.h"

IOxTextFile& TextFile() {
  static const ox::Ptr<IOxTextFile> object = ox::create(oxCreateTextFile);
  return *object.get();
}

IOxAutoRun& AutoRun() {
  static const ox::Ptr<IOxAutoRun> object = ox::create(oxCreateAutoRun);
  return *object.get();
}

IOxMessageDialogs& MessageDialogs() {
  static const ox::Ptr<IOxMessageDialogs> object = ox::create(oxCreateMessageDialogs);
  return *object.get();
}
