#include <gtest/gtest.h>
#include "sketch_ui/SketchManager.h"
