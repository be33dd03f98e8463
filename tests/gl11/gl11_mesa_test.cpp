// The OpenGL 1.1 layer against Mesa's own GL 1.1, call for call: each case runs the same calls on both sides of
// gl11_pair and compares the errors, the answers and the pictures.
#include "tests/gl11/gl11_pair.h"

#include <gtest/gtest.h>
