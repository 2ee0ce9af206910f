// SPDX-License-Identifier: MIT
// Asking an input device through ioctl, the same way on every C library.
#pragma once

#include <sys/ioctl.h>

namespace query_detail {

// The C libraries disagree on ioctl's request type (unsigned long in one,
// int in another), and the EVIOC* numbers overflow an int. Taking the type
// from the library's own declaration converts them without a warning on
// either.
template <typename F>
struct request_param;
template <typename R, typename A, typename B, bool N>
struct request_param<R(A, B, ...) noexcept(N)> {
    using type = B;
};

}  // namespace query_detail

using ioctl_request = query_detail::request_param<decltype(ioctl)>::type;

// Sends request to the device behind fd with out as its argument. Returns
// false when it fails (errno set).
template <typename T>
[[nodiscard]] bool query_device(int fd, unsigned long request, T* out) {
    return ioctl(fd, static_cast<ioctl_request>(request), out) >= 0;
}
