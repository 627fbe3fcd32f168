#include "sketch/SketchLibrary.h"

namespace vynsketch {

const char* LibraryVersion() { return "vynsketch 0.5"; }

}  // namespace vynsketch
