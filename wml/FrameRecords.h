#pragma once
// Frames and the camera in records: checked reads that refuse data which
// would not make a usable frame or camera. The camera's own Store/Restore
// members are declared in ExtendedWmlCamera.h and defined in FrameRecords.cpp.

#include <string>

#include "wml/Frame3.h"

namespace Wml {

class SerializerRecord;

/// Stores frame under key (the record's frame field: origin, scale, axes).
void StoreFrame(SerializerRecord& record, const std::string& key, const Frame3<float>& frame);

/// Reads the frame under key. False, frame unchanged, when the key is absent,
/// holds another kind, or the frame is not usable (a number not finite, a
/// zero scale, degenerate axes: Frame3::IsValid() false).
bool RestoreFrame(const SerializerRecord& record, const std::string& key, Frame3<float>& frame);

}  // namespace Wml
