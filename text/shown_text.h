// Showing a name or a text read from a file on a terminal or in a message.
// Such text comes from anywhere: a control character could move the cursor,
// clear the screen or reorder what follows it, and bytes that are not UTF-8
// would be shown as whatever the terminal makes of them.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The text as UTF-8 that is safe to print: C0 controls (tab and line feed
// too), DEL, the C1 controls U+0080-U+009F and the bidirectional controls
// (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) each become '?';
// every byte that does not begin or continue a valid UTF-8 sequence becomes
// "\xHH" (two upper-case hex digits). Other characters stand as they are.
std::string ShownText(std::string_view utf8OrBytes);
// The same for UTF-16 text; a lone surrogate is shown as U+FFFD.
std::string ShownText(std::wstring_view text);

}  // namespace tarnwick
