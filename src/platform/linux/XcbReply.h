#pragma once

#include <cstdlib>
#include <memory>

// An xcb reply, which the caller owns and frees with free().
template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> XcbReply<T> ownedReply(T* reply)
{
    return XcbReply<T>(reply, &std::free);
}
