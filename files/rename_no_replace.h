// Renaming a file within a folder without replacing what stands at the new
// name (POSIX). Its fallbacks are named so that each can be tried on its own.
#pragma once

namespace tarnwick::files {

enum class NoReplaceMethod {
  kBest,             // renameat2 with RENAME_NOREPLACE, then each fallback below
  kLink,             // a hard link to the new name (refused where it exists), then unlink
  kCheckThenRename,  // a look before the rename: the one fallback with a gap between them
};

// Returns 0, or the errno of the failure (EEXIST when the name is taken).
int RenameWithoutReplacing(int folder, const char* from, const char* to,
                           NoReplaceMethod method = NoReplaceMethod::kBest);

}  // namespace tarnwick::files
