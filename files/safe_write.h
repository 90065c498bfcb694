// The one way a file is written: so that it is either as it was or complete,
// and nothing else is touched on the way.
//
//  - The bytes go to a temporary file with a name of its own, created
//    exclusively beside the target (never following a link planted there),
//    flushed to the disk, closed with its error checked, then renamed over the
//    target; on POSIX the folder is flushed too.
//  - A file that exists keeps its permission bits (and, where we may, its
//    owner; on Windows its attributes and security). A read-only file is
//    refused and left as it was.
//  - A target that is a symbolic link is written through: the link stays a
//    link and the file it names gets the new bytes.
//  - With `replace` false the rename never replaces a file, even one that
//    appeared a moment ago (renameat2's RENAME_NOREPLACE; a hard link where the
//    file system lacks it; a check just before the rename where it lacks both).
//
// Failure contract: throws InputError (text/source_text.h), without the path,
// whose message gives the system's reason; the target is then as it was and no
// temporary file is left.
#pragma once

#include <filesystem>
#include <string_view>

namespace tarnwick {

void WriteFileSafely(const std::filesystem::path& path, std::string_view bytes,
                     bool replace = true);

}  // namespace tarnwick
