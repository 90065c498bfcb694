// The border between the add-in and the stand-in editor's objects, drawn for
// counting: an IDispatch that passes every call on to the editor's object
// inside an EditorScope, and hands out every object the editor answers
// behind another such border. What the editor allocates to answer a call is
// then told apart from what the add-in allocates itself.
#pragma once

#include <windows.h>
#include <wrl/client.h>

namespace tarnwick::bench {

// `editor` (not null) behind the border.
Microsoft::WRL::ComPtr<IDispatch> BehindEditorBoundary(IDispatch* editor);

}  // namespace tarnwick::bench
