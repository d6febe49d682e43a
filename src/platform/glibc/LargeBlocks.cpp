#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

namespace {
// The largest block ever served from the heap proper. Pictures, clip frames and the video
// decoder's buffers (100 KiB to 2.4 MiB each) are all above it; nothing is allocated this large
// once per frame.
constexpr int kLargestHeapBlock = 128 * 1024;
} // namespace

void returnLargeBlocksToTheSystem() {
    // glibc raises its threshold to the size of every mapped block that is freed, so after the
    // first full-screen picture goes, the next ones (a clip's frames, the decoder's buffers) come
    // from the heap, where freeing them returns nothing: the program would keep the high-water mark
    // of every screen it has shown. A fixed threshold turns that adjustment off.
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
}

} // namespace platform
