// The one way the program replaces a file: whole, or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cogbook {

// Replaces the file at PATH with BYTES, or leaves it as it was, even when the
// process is killed or the machine stops part way: the bytes go to a hidden
// temporary file beside the target (".NAME.XXXXXX"), are flushed to the disk,
// and the temporary is renamed over the target, after which the folder is
// flushed too. On any failure the temporary is removed.
//
// A symbolic link (a chain of them, or one pointing nowhere yet) is written
// through: the file it finally names is the one replaced, beside itself, and
// the link stays a link. A target that exists and is not a regular file (a
// folder, device, pipe or socket) is refused untouched.
//
// A replaced file keeps its permissions (and, where allowed, its owner); a new
// one gets read and write for all, less the process's umask. Temporaries of
// the same target left behind by a killed write (older than a minute and not
// held by a running write) are removed on the way.
//
// Throws std::runtime_error with "cannot ...: reason" on failure; the caller
// names PATH, the message names any other file concerned (such as the file a
// link leads to).
void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The regular file that writing to PATH replaces: PATH itself, or the end of
// the chain of links starting at it (which need not exist yet). Throws as
// writeFileAtomically does for links that loop or cannot be read.
std::string resolveWriteTarget(const std::string& path);

} // namespace cogbook
