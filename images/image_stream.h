// ImageStream: a block of global memory and a stream over it, the platform's way to feed
// GDI+ from memory. Lives only inside one DecodeImage call.
#pragma once
#include "images/decode.h"

#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace images {

// The kernel32 global-memory calls ImageStream makes. Production code always uses kernel32; the test
// seam below lets a test count blocks and make an allocation or a lock fail.
struct GlobalMemoryCalls {
    HGLOBAL(WINAPI* alloc)(UINT flags, SIZE_T bytes);
    LPVOID(WINAPI* lock)(HGLOBAL block);
    BOOL(WINAPI* unlock)(HGLOBAL block);
    HGLOBAL(WINAPI* free)(HGLOBAL block);
};

// Test seam: the calls to use from now on (nullptr: kernel32's). Not for production code.
void SetGlobalMemoryCallsForTesting(const GlobalMemoryCalls* calls);

class ImageStream {
  public:
    ImageStream() = default;
    ImageStream(const ImageStream&) = delete;
    ImageStream& operator=(const ImageStream&) = delete;

    // 1. destroy: runs FreeBlock.
    ~ImageStream();

    // 2. A shallow copy with the same block and stream. The clone holds its own reference to the stream
    //    but not the block: the original keeps owning the block, so it is freed exactly once.
    std::unique_ptr<ImageStream> Clone() const;

    // 3. Releases the stream and, if this wrapper owns it, frees the block; both fields become 0.
    //    A block made with copy = FALSE belongs to its stream (delete-on-release TRUE) and goes with
    //    the stream's last reference, so it is never freed twice.
    void FreeBlock();

    // 4. copy TRUE: a fixed block holding a copy of bytes, stream with delete-on-release FALSE.
    //    copy FALSE: an empty growable stream that owns its (movable, 0-byte) block.
    //    Returns the stream, or 0 when the block cannot be allocated or locked or the stream cannot be
    //    made (then nothing was written into any block and nothing is left allocated).
    IStream* CreateFromBytes(Bytes bytes, bool copy);

    // 5.
    IStream* GetStream() const { return stream_; }

    // 6. GlobalSize(block); 0 without a block.
    std::size_t BlockSize() const;

    // 7. The block's whole content as a new byte string (empty without a block or when the lock fails).
    std::vector<std::uint8_t> ReadAllBytes() const;

    HGLOBAL Block() const { return block_; }

  private:
    HGLOBAL block_ = nullptr;
    IStream* stream_ = nullptr;
    bool ownsBlock_ = false; // FreeBlock frees block_ itself (not the stream's, not a clone's)
};

} // namespace images
