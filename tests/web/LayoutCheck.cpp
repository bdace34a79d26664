// The texture layout as the page builds it (32-bit size_t), run under node: a header that claims
// more bytes than 32 bits count is refused, not wrapped to a size the file seems to hold.
#include "TextureLayout.h"

#include <cstdio>

namespace
{
int passed = 0, failed = 0;

void Check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    ++(ok ? passed : failed);
}
} // namespace

int main()
{
    static SubresourceLayout layout;
    // Six faces of 2^31 bytes: 3 x 2^32 in all, 0 once wrapped to 32 bits.
    Check(!LayoutSubresources(16384, 16384, RGBA16F, 1, CubeMap, 0, layout),
          "a 16384x16384 RGBA16F cube map with no pixels is refused");
    Check(!LayoutSubresources(16384, 16384, RGBA32F, 1, 0, 0, layout),
          "a 16384x16384 RGBA32F texture (2^32 bytes) with no pixels is refused");
    Check(LayoutSubresources(64, 64, RGBA16F, 7, CubeMap, 6 * 43688, layout) &&
              layout.totalSize == 6 * 43688,
          "a 64x64 RGBA16F cube map of 7 levels takes 6 x 43688 bytes");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
