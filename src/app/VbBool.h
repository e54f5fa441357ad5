#pragma once
// Booleans shared between windows keep the program's 16-bit convention: true is -1.

#include <cstdint>

using VbBool = std::int16_t;
constexpr VbBool VbTrue = -1;
constexpr VbBool VbFalse = 0;
