#pragma once
// ThreadSanitizer checks every memory access, and in its build the longest tests would take
// minutes each, near CTest's limit. What it looks for, threads touching the same memory
// without an order between them, a shorter run meets just as well; so those tests run
// lighter there and exactly as written in every other build.

namespace testpace {

#if defined(__SANITIZE_THREAD__)
inline constexpr bool kUnderThreadSanitizer = true;
#else
inline constexpr bool kUnderThreadSanitizer = false;
#endif

// `full` in every build but ThreadSanitizer's, which takes `light`.
template <typename T>
constexpr T lighterUnderThreadSanitizer(T full, T light)
{
    return kUnderThreadSanitizer ? light : full;
}

} // namespace testpace
