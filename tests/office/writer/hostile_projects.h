// Projects built to cost a reader much for little input: many modules, many
// streams, modules sharing a stream, sources that are runs of line ends. The
// hostile-input table and the fuzzer's seeds are built from them, a few lines
// each instead of large stored files.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwick::office::testing {

// A bare vbaProject.bin whose `modules` modules all name one stream, each
// with its source offset at the stream's end (so each decompresses to nothing).
std::string ModulesSharingOneStream(size_t modules, size_t streamBytes);

// A bare vbaProject.bin of `modules` small standard modules, with
// `extraStreams` streams beside them in the VBA storage.
std::string ManyModulesAndStreams(size_t modules, size_t extraStreams);

// An .xlsm whose `modules` modules are each a compressed run of `lineEnds` CR LF.
std::string LineEndRunModules(size_t modules, size_t lineEnds);

}  // namespace tarnwick::office::testing
