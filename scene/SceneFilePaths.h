#pragma once
// Files a scene refers to (billboard images, imported meshes) are written
// relative to the scene file, so a scene and its files can move together.

#include <string>

namespace Wml {
class Serializer;
}

namespace vynui {

/// path relative to the folder of the scene file the serializer writes;
/// path unchanged when there is no scene file or no relative form.
std::string PathForSceneFile(const Wml::Serializer* serializer, const std::string& path);
/// A stored path made usable again: a relative one is taken from the
/// folder of the scene file the serializer reads.
std::string PathFromSceneFile(const Wml::Serializer* serializer, const std::string& stored);

}  // namespace vynui
