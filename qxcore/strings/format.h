// The printf family with defined truncation:
//
//   function      writes              terminates                 returns
//   v_snprintf0   at most size bytes  always (last byte if cut)  full length of the text
//   v_snprintf    at most size bytes  only when the text fits    full length of the text
//   v_scprintf    nothing             -                          length of the text
//   v_sprintf     unbounded           always                     characters written
#pragma once

#include "qxcore/core/export.h"

namespace quarn {

QX_API int v_snprintf0(char* buf, unsigned int size, const char* fmt, ...) QX_PRINTF(3, 4);
QX_API int v_snprintf(char* buf, unsigned int size, const char* fmt, ...) QX_PRINTF(3, 4);
QX_API int v_scprintf(const char* fmt, ...) QX_PRINTF(1, 2);
QX_API int v_sprintf(char* buf, const char* fmt, ...) QX_PRINTF(2, 3);

}  // namespace quarn
