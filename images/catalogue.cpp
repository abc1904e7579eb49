// ArtBytes: the embedded artwork, as RCDATA resources ZEN_ART_FIRST + index of Art (images/art.rc).
#include "images/catalogue.h"

#include "images/resource_ids.h"

namespace images {

namespace {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

} // namespace

Bytes ArtBytes(Art art) {
    HMODULE module = ThisModule();
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(ZEN_ART_FIRST + static_cast<int>(art)),
                               MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(SizeofResource(module, info))};
}

} // namespace images
