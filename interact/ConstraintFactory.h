#pragma once
// Makes a handle of any kind from its description.

#include "interact/ConstraintDescription.h"

namespace vynui {

class Constraint;
class ConstraintTarget;

/// A new handle (owned by the caller) for target, of the description's
/// kind, frame mode and colour: at its origin along its axis, or on its
/// full frame when it has one. Rotation handles take its radius. Null for
/// an unknown kind or an unusable origin, axis or frame.
Constraint* CreateConstraint(const ConstraintDescription& description, ConstraintTarget* target);

}  // namespace vynui
