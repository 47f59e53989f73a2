// Byte comparison of stored texts: every length around the load sizes, a difference anywhere.
#include "store/byte_io.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

TEST(SameBytes, FindsADifferenceInEveryPositionOfEveryLength)
{
    for (std::size_t n = 0; n <= 40; ++n) {
        const std::string a(n, 'x');
        std::string b = a;
        EXPECT_TRUE(sameBytes(a, b)) << n;
        for (std::size_t i = 0; i < n; ++i) {
            b[i] = 'y';
            EXPECT_FALSE(sameBytes(a, b)) << n << " at " << i;
            b[i] = 'x';
        }
        EXPECT_FALSE(sameBytes(a, a + 'x')) << n;
        // The bytes after a view are never looked at.
        const std::string longer = a + "yyyyyyyyyyyyyyyy";
        EXPECT_TRUE(sameBytes(std::string_view(longer).substr(0, n), a)) << n;
    }
}

}  // namespace
}  // namespace horavant
