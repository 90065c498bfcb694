// The VBA project inside one storage of a compound file: its VBA storage (the
// dir stream and one stream per module) and its PROJECT stream.
#pragma once

#include <cstdint>

#include "office/compound_file.h"
#include "office/vba_project.h"

namespace tarnwick::office {

// Caps on what one project may hold, far above any real project's.
inline constexpr uint64_t kMaxProjectStreamSize = 16ull << 20;
inline constexpr uint64_t kMaxModuleStreamSize = 64ull << 20;
inline constexpr uint64_t kMaxModuleSourceSize = 16ull << 20;   // decompressed
inline constexpr uint64_t kMaxProjectSourceSize = 64ull << 20;  // all modules together
// The module streams' bytes read for one project, before decompression: a
// project whose modules share sectors cannot make us read the file many times.
inline constexpr uint64_t kMaxProjectStreamBytes = 256ull << 20;

// True when `storage` holds a VBA storage and a PROJECT stream.
bool HoldsVbaProject(const CompoundFile& file, uint32_t storage);

// Throws OfficeError(kDamaged), "damaged VBA project: ...", for whatever is
// missing or broken, for a stream named by two modules, and for a project over
// the caps above or a module over the lines a module file may hold
// (kMostTextLines).
VbaProject ReadProjectStorage(const CompoundFile& file, uint32_t storage);

}  // namespace tarnwick::office
