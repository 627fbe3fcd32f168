// Weak stand-ins for the resource root, so the HUD tests link on their own.
// When the library's definitions are linked in, they take precedence.

#include <string>

#include "interact/ResourceRoot.h"

namespace vynui {

namespace {
std::string& Root()
{
    static std::string root;
    return root;
}
}  // namespace

__attribute__((weak)) const std::string& GetResourceRoot()
{
    return Root();
}

__attribute__((weak)) std::string GetIconPath(const std::string& name)
{
    return GetResourceRoot() + "icons/" + name;
}

__attribute__((weak)) std::string GetAnimationFolder()
{
    return GetResourceRoot() + "animations/";
}

__attribute__((weak)) void SetResourceRoot(const std::string& root)
{
    Root() = root;
    if (!root.empty() && root.back() != '/') Root() += '/';
}

}  // namespace vynui
