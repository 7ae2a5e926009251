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

// Virtual file system: files, devices, the mount table, archives, streams
#include "qxcore/fs/cfile.h"
#include "qxcore/fs/directory_devices.h"
#include "qxcore/fs/file.h"
#include "qxcore/fs/file_logger.h"
#include "qxcore/fs/file_matching.h"
#include "qxcore/fs/fs.h"
#include "qxcore/fs/fs_copy.h"
#include "qxcore/fs/fs_device.h"
#include "qxcore/fs/fs_types.h"
#include "qxcore/fs/memory_stream.h"
#include "qxcore/fs/mount_table.h"
#include "qxcore/fs/native_device.h"
#include "qxcore/fs/stdio_file.h"
#include "qxcore/fs/stdio_helpers.h"
#include "qxcore/fs/std_mount.h"
#include "qxcore/fs/text_files.h"
#include "qxcore/fs/ufs_device.h"
#include "qxcore/fs/user_dirs.h"
#include "qxcore/fs/zipfs_device.h"
#include "qxcore/fs/zipfs_file.h"
#include "qxcore/fs/zipfs_tree.h"

// Unit model: types, units, attribute values, systems and names, resource ties
#include "qxcore/units/unit.h"
#include "qxcore/units/unit_bank.h"
#include "qxcore/units/unit_base.h"
#include "qxcore/units/unit_declare.h"
#include "qxcore/units/unit_name.h"
#include "qxcore/units/unit_proxy.h"
#include "qxcore/units/unit_ptr.h"
#include "qxcore/units/unit_resource_tie.h"
#include "qxcore/units/unit_structs.h"
#include "qxcore/units/unit_system.h"

// Resources: dependency files, the substance table, the converting device
#include "qxcore/resources/cvfs_device.h"
#include "qxcore/resources/res_deps.h"
#include "qxcore/resources/substances.h"

// Platform services: plug-ins, child processes, checksums, random numbers,
// timers, CPU dispatch
#include "qxcore/sys/checksums.h"
#include "qxcore/sys/child_process.h"
#include "qxcore/sys/cpu_dispatch.h"
#include "qxcore/sys/dynamic_library.h"
#include "qxcore/sys/profiler.h"
#include "qxcore/sys/random.h"
#include "qxcore/sys/timers.h"
// Math and geometry
#include "qxcore/math/aabox.h"
#include "qxcore/math/angles.h"
#include "qxcore/math/axial.h"
#include "qxcore/math/batch_transforms.h"
#include "qxcore/math/bbox.h"
#include "qxcore/math/bsphere.h"
#include "qxcore/math/curves.h"
#include "qxcore/math/directions.h"
#include "qxcore/math/edge_plane.h"
#include "qxcore/math/fft.h"
#include "qxcore/math/float_ops.h"
#include "qxcore/math/frustum.h"
#include "qxcore/math/lines.h"
#include "qxcore/math/mat.h"
#include "qxcore/math/math_dispatch.h"
#include "qxcore/math/matrix_builders.h"
#include "qxcore/math/matrix_inverse.h"
#include "qxcore/math/matrix_products.h"
#include "qxcore/math/placement.h"
#include "qxcore/math/plane.h"
#include "qxcore/math/plane_equations.h"
#include "qxcore/math/plane_sides.h"
#include "qxcore/math/projection.h"
#include "qxcore/math/quat.h"
#include "qxcore/math/scalar_helpers.h"
#include "qxcore/math/skinning.h"
#include "qxcore/math/sphere.h"
#include "qxcore/math/transform_node.h"
#include "qxcore/math/triangles.h"
#include "qxcore/math/vec.h"
#include "qxcore/math/vector_rotation.h"

// Spatial hash
#include "qxcore/spatial/spatialhash.h"

// Colour conversions and pixel streams
#include "qxcore/image/bitmap.h"
#include "qxcore/image/colour_streams.h"
#include "qxcore/image/png.h"
#include "qxcore/image/s3tc.h"
#include "qxcore/image/tga.h"
