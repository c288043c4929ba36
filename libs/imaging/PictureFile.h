#pragma once
// Reading a picture file into memory without ever waiting: only a regular
// file is read, and only up to a limit.

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace imaging {

// Leaves the bytes a vector grows by uninitialised: the file's bytes replace
// them at once, and zeroing megabytes first costs time.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}  // NOLINT: allocators convert implicitly
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using PictureBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// Larger picture files are refused unread: at the pixel limit even a 16-bit
// RGBA picture that barely compresses stays below this.
inline constexpr int64_t kMaxPictureFileBytes = int64_t{1} << 30;

// The whole file. False when it cannot be opened, is not a regular file
// (a pipe, a device, a folder), is larger than maxBytes or cannot be read.
[[nodiscard]] bool ReadPictureFile(const std::string& path, PictureBytes* bytes,
                                   int64_t maxBytes = kMaxPictureFileBytes);

} // namespace imaging
