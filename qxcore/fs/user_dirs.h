// Where the user's own files and the temporary files of this machine live,
// as host paths with "/" separators: the home directory that std_mount_t
// mounts under "/home", and the temporary directory it mounts under "/temp".
//
//   quarn::string_dyn_t<> home;
//   if (quarn::usr_get_homedir(&home)) ...  // e.g. "/home/ann/.local/share"
#pragma once

#include "qxcore/strings/strings_mutable.h"

namespace quarn {

// The user's data directory: $XDG_DATA_HOME when set and not empty, else
// $HOME/.local/share; made (with its parents) when it is missing. False when
// neither is set, it cannot be made, or the path is longer than
// USR_MAX_PATH - 1 bytes.
QX_API bool usr_get_homedir(mstring_t* out);
// $TMPDIR when set and not empty, else /tmp, with every symbolic link
// resolved and a trailing "/". False when it does not exist or is too long.
QX_API bool usr_get_tempdir(mstring_t* out);

constexpr unsigned int USR_MAX_PATH = 260;  // bytes of either path, terminator included

}  // namespace quarn
