// A compressor for the project's compressed containers ([MS-OVBA] 2.4.1), for
// building fixtures: greedy matches found through hash chains, a raw chunk
// where a full chunk will not shrink. Valid, not byte-identical to Office's.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::office::testing {

std::string CompressVba(std::string_view data);

}  // namespace tarnwick::office::testing
