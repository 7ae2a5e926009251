// Bit scans and a 32-bit fill, beside the text helpers because the string and
// token code were their first users.
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

QX_API unsigned int v_bit_scan_forward_impl(unsigned int x);  // lowest set bit, 0xFFFFFFFF for 0
QX_API unsigned int v_bit_scan_reverse_impl(unsigned int x);  // highest set bit, 0xFFFFFFFF for 0
QX_API void v_memset32(void* dst, unsigned int value, unsigned int count);  // count words

}  // namespace quarn
