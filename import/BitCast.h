// Reinterprets an object's bytes as another trivially copyable type of the same size.
#pragma once

#include <cstring>
#include <type_traits>

namespace amplix {

// std::bit_cast's job done with memcpy, because not every standard library the core is built
// with has it (the browser build's does not). One way everywhere, so the native tests cover it.
template <typename To, typename From>
requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
         std::is_trivially_copyable_v<From> && std::is_trivially_constructible_v<To>) To
    bitCast(const From& from)
noexcept {
    To to;
    std::memcpy(&to, &from, sizeof(To));
    return to;
}

} // namespace amplix
