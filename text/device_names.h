// The names Windows keeps for its devices. A file so named opens the device,
// not a file, in every folder: writing "NUL.bas" or "com1.txt" loses the text.
#pragma once

#include <string_view>

namespace tarnwick {

// True when `fileName` (a name, not a path) names a device on Windows: CON,
// PRN, AUX, NUL, COM0-COM9, COM¹-COM³, LPT0-LPT9 or LPT¹-LPT³, in any ASCII
// case, alone or followed by an extension ("nul.txt", "Com1.tar.gz"), with
// blanks or dots after it ("CON ", "AUX."). Errs on the side of caution: the
// name is read up to its first '.' or ':' and blanks before that are dropped.
bool IsWindowsDeviceName(std::wstring_view fileName);

}  // namespace tarnwick
