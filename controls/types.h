#pragma once
// Shared types of the window and control framework: messages as records,
// shift states, mouse buttons and the control state/style flags.
#include <cstdint>

#include "components/object.h"
#include "platform/messages.h"
#include "platform/types.h"

namespace controls {

using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

// A message on its way through a control's WndProc.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch, ssPen, ssCommand, ssHorizontal };
using TShiftState = components::TSet<TShiftStateItem>;
constexpr TShiftState ssNone{};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum class TControlStateItem { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
                               csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking };
using TControlState = components::TSet<TControlStateItem>;

enum class TControlStyleItem { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
                               csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
                               csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient,
                               csMenuEvents, csNeedsBorderPaint, csParentBackground, csPannable, csAlignWithMargins,
                               csGestures, csPaintBlackOpaqueOnGlass, csOverrideStylePaint };
using TControlStyle = components::TSet<TControlStyleItem>;

enum class TScalingFlag { sfLeft, sfTop, sfWidth, sfHeight, sfFont, sfDesignSize };
using TScalingFlags = components::TSet<TScalingFlag>;
constexpr TScalingFlags DefaultScalingFlags{TScalingFlag::sfLeft, TScalingFlag::sfTop, TScalingFlag::sfWidth,
                                            TScalingFlag::sfHeight, TScalingFlag::sfFont};

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Shift state from the keyboard state and a key message's data (Alt from the context bit).
TShiftState KeyDataToShiftState(LPARAM keyData);
// Shift state of a mouse message's wParam (MK_* flags).
TShiftState MouseKeysToShiftState(WPARAM keys);

} // namespace controls

DECLARE_ENUM_NAMES(controls::TShiftStateItem, u"ssShift", u"ssAlt", u"ssCtrl", u"ssLeft", u"ssRight", u"ssMiddle",
                   u"ssDouble", u"ssTouch", u"ssPen", u"ssCommand", u"ssHorizontal");
DECLARE_ENUM_NAMES(controls::TBiDiMode, u"bdLeftToRight", u"bdRightToLeft", u"bdRightToLeftNoAlign",
                   u"bdRightToLeftReadingOnly");
