// The one export macro of libqxcore.so. The library is built with hidden
// visibility; only what carries QX_API is part of its interface.
#pragma once

#define QX_API __attribute__((visibility("default")))

// printf-style checking for the library's formatting entry points.
#define QX_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
