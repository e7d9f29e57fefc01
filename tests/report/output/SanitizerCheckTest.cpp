// The sanitizer build (label sanitize) has to catch memory faults, not merely pass: a read one
// byte past a heap block, as a packed page read past its end would be, must stop the process
// with AddressSanitizer's report. Built without AddressSanitizer there is nothing to check.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

// GCC says so by a macro of its own, clang by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define ORV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

#if defined(ORV_ADDRESS_SANITIZER)
// Out of line, so that the compiler cannot see the overrun and fold it away.
__attribute__((noinline)) int readPastTheEnd(const char *bytes, int size)
{
    int sum = 0;
    for (int i = 0; i <= size; ++i)   // one byte too far
        sum += bytes[i];
    return sum;
}
#endif

TEST(SanitizerCheck, AReadPastAHeapBlockStopsTheProcess)
{
#if defined(ORV_ADDRESS_SANITIZER)
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto bytes = std::make_unique<char[]>(24);
            std::memset(bytes.get(), 1, 24);
            std::printf("%d\n", readPastTheEnd(bytes.get(), 24));
        },
        "heap-buffer-overflow");
#else
    GTEST_SKIP() << "built without AddressSanitizer";
#endif
}

} // namespace
