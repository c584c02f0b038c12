#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace chronova::cli::exporting {

/// An allocator whose vectors leave the elements they add uninitialised. A buffer sized for the worst case (an
/// encoder's output bound, one token per input byte) then costs memory only for the part that is written: the
/// system maps a page on its first touch, and zero-filling would touch them all.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <typename U>
    explicit DefaultInitAllocator(const DefaultInitAllocator<U>& /*other*/) noexcept {}

    template <typename U>
    void construct(U* place) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

/// A vector of trivial values whose resize leaves new values unset.
template <typename T>
using UninitializedBuffer = std::vector<T, DefaultInitAllocator<T>>;

} // namespace chronova::cli::exporting
