// The operation objects live apart from the images so that code needing only
// the images does not pull the operations in.
#include "Globals.h"
#include "cEffectDIB.h"
#include "cFileDIB.h"
#include "cFilterDIB.h"

namespace orvane {

cFilterDIB& FilterObject() {
  static cFilterDIB* object = new cFilterDIB;
  return *object;
}

cEffectDIB& EffectObject() {
  static cEffectDIB* object = new cEffectDIB;
  return *object;
}

cFileDIB& FileObject() {
  static cFileDIB* object = new cFileDIB;
  return *object;
}

}  // namespace orvane
