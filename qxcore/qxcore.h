// qxcore: the core library of a real-time 3D engine. This header includes the
// whole public interface; each subsystem's headers can also be included alone.
#pragma once

// Library frame, messages and sinks
#include "qxcore/core/assertions.h"
#include "qxcore/core/debug_logger.h"
#include "qxcore/core/export.h"
#include "qxcore/core/lifecycle.h"
#include "qxcore/core/message_handler.h"
#include "qxcore/core/message_stdio.h"
#include "qxcore/core/messages.h"
#include "qxcore/core/system_errors.h"

// Strings, tokens and formatting
#include "qxcore/strings/bit_helpers.h"
#include "qxcore/strings/c_string_helpers.h"
#include "qxcore/strings/float_text.h"
#include "qxcore/strings/format.h"
#include "qxcore/strings/string.h"
#include "qxcore/strings/string_dyn.h"
#include "qxcore/strings/string_fixed.h"
#include "qxcore/strings/string_tokenizer.h"
#include "qxcore/strings/strings_mutable.h"
#include "qxcore/strings/tokens.h"

// Paths, wildcards and the command line
#include "qxcore/strings/command_line.h"
#include "qxcore/strings/paths.h"
#include "qxcore/strings/raw_paths.h"
#include "qxcore/strings/wildcard.h"

// Text parser
#include "qxcore/strings/text_parser.h"

// Containers, block pools, chunk space and hash tables
#include "qxcore/collections/arrays/array_dyn.h"
#include "qxcore/collections/arrays/array_fixed.h"
#include "qxcore/collections/arrays/arrays_base_impl.h"
#include "qxcore/collections/bmem_manager.h"
#include "qxcore/collections/chunk_space.h"
#include "qxcore/collections/list.h"
#include "qxcore/collections/process_pools.h"
#include "qxcore/collections/vdatahash.h"
#include "qxcore/collections/vdatalist.h"
#include "qxcore/collections/vptrhash.h"
#include "qxcore/collections/vptrlist.h"

// Colour conversions and pixel streams
#include "qxcore/image/colour_streams.h"

// Platform services: checksums, random numbers, timers, CPU dispatch
#include "qxcore/sys/checksums.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/random.h"
#include "qxcore/sys/timers.h"
