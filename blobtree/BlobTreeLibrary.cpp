#include "blobtree/BlobTreeLibrary.h"

namespace vynbt {

const char* LibraryVersion() { return "vynblobtree 0.5"; }

}  // namespace vynbt
