#pragma once
// Where the system's sockets live and the rule for their directory. The system's own directory
// ($XDG_RUNTIME_DIR/varnel-pro, else varnel-pro-<uid> in $TMPDIR or /tmp) is created with mode
// 0700, must be a real directory of this user, and is made private again when it is not. Any
// other directory, one the user names for a socket, is used as given (created when missing):
// there the socket's own mode 0600 and the credential check on both ends protect. Only the
// system's own directory is ever changed, never a shared one such as /tmp itself.

#include <string>

namespace base {

// The system's own socket directory for this user.
std::string RuntimeDirectory();

// Makes the directory of `socketPath` ready: the system's own under its rule, any other as given.
// False with `error` (naming the directory) when it cannot be used; `notice` names a directory
// that had to be made private.
bool PrepareSocketDirectory(const std::string& socketPath, std::string* error, std::string* notice);

} // namespace base
