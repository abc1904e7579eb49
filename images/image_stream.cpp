#include "images/image_stream.h"

#include <atomic>
#include <cstring>

namespace images {

namespace {

const GlobalMemoryCalls kKernel32{GlobalAlloc, GlobalLock, GlobalUnlock, GlobalFree};
std::atomic<const GlobalMemoryCalls*> g_calls{&kKernel32};

const GlobalMemoryCalls& Calls() {
    return *g_calls.load(std::memory_order_acquire);
}

} // namespace

void SetGlobalMemoryCallsForTesting(const GlobalMemoryCalls* calls) {
    g_calls.store(calls ? calls : &kKernel32, std::memory_order_release);
}

ImageStream::~ImageStream() {
    FreeBlock();
}

std::unique_ptr<ImageStream> ImageStream::Clone() const {
    auto copy = std::make_unique<ImageStream>();
    copy->block_ = block_;
    copy->stream_ = stream_;
    if (copy->stream_) copy->stream_->AddRef();
    copy->ownsBlock_ = false;
    return copy;
}

void ImageStream::FreeBlock() {
    if (stream_) {
        stream_->Release();
        stream_ = nullptr;
    }
    if (block_) {
        if (ownsBlock_) Calls().free(block_);
        block_ = nullptr;
    }
    ownsBlock_ = false;
}

IStream* ImageStream::CreateFromBytes(Bytes bytes, bool copy) {
    FreeBlock();
    const GlobalMemoryCalls& calls = Calls();
    if (!copy) {
        HGLOBAL block = calls.alloc(GMEM_MOVEABLE, 0);
        if (!block) return nullptr;
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
            calls.free(block);
            return nullptr;
        }
        block_ = block;
        stream_ = stream;
        ownsBlock_ = false; // the stream frees it on its last release
        return stream_;
    }
    const std::size_t n = bytes.size();
    HGLOBAL block = calls.alloc(GMEM_FIXED, n);
    if (!block) return nullptr;
    void* at = calls.lock(block);
    if (!at) {
        calls.free(block);
        return nullptr;
    }
    if (n) std::memcpy(at, bytes.data(), n);
    calls.unlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        calls.free(block);
        return nullptr;
    }
    block_ = block;
    stream_ = stream;
    ownsBlock_ = true;
    return stream_;
}

std::size_t ImageStream::BlockSize() const {
    return block_ ? GlobalSize(block_) : 0;
}

std::vector<std::uint8_t> ImageStream::ReadAllBytes() const {
    const std::size_t n = BlockSize();
    std::vector<std::uint8_t> out;
    if (!block_) return out;
    const GlobalMemoryCalls& calls = Calls();
    const void* at = calls.lock(block_);
    if (!at) return out;
    out.assign(static_cast<const std::uint8_t*>(at), static_cast<const std::uint8_t*>(at) + n);
    calls.unlock(block_);
    return out;
}

} // namespace images
