// The controller wait (CT_CONTROLLERWAIT): on the two-player screens, asks
// for the game pads and shows the level buttons only while both are in.
//
// Each update, while it is enabled (IsOnlyInMultiplayerLevel false, or true
// while the program's two-player flag is set):
// - pad 0 (player one's) and pad 1 (player two's) count as connected when
//   Platform::XInputGetState answers ERROR_SUCCESS for them;
// - with a pad missing, one line is queued for the frame at
//   (0.5 - 0.2) x window width, window height - TEXT_BOTTOM_MARGIN pixels
//   from the top left, font TEXT_FONT, white: NO_PADS_TEXT, NO_PAD_TWO_TEXT
//   or NO_PAD_ONE_TEXT; with both in, none (no window or font manager: no
//   line);
// - every object with a next-level button, then every one with a
//   previous-level button, hidden ones included, is shown and active while
//   both pads are in, and hidden (skip-draw) and inactive otherwise.
// In files: "IsOnlyInMultiplayerLevel" (default true).
//
// The two-player flag has one home here: false at start; the two-player
// level may set it, nothing else does.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class ControllerWaitComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CONTROLLERWAIT;
    // The text's x as fractions of the window width: centre minus this.
    static constexpr float TEXT_CENTRE_FRACTION = 0.5f;
    static constexpr float TEXT_LEFT_SHIFT_FRACTION = 0.2f;
    // Pixels between the text's y and the window's bottom edge.
    static constexpr float TEXT_BOTTOM_MARGIN = 40.0f;
    static constexpr const char* TEXT_FONT = "medium";
    static constexpr const char* NO_PADS_TEXT = "Please connect two controllers";
    static constexpr const char* NO_PAD_TWO_TEXT = "Please connect player two's controller";
    static constexpr const char* NO_PAD_ONE_TEXT = "Please connect player one's controller";

    ControllerWaitComponent();

    // Pads, message and buttons (see above).
    void Update() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // The program-wide two-player flag.
    static bool IsTwoPlayerLevel() { return s_TwoPlayerLevel; }
    static void SetTwoPlayerLevel(bool twoPlayers) { s_TwoPlayerLevel = twoPlayers; }

    bool m_IsOnlyInMultiplayerLevel = true;
    bool m_IsActiveThisFrame = false;  // set for the length of an enabled update

private:
    // The message for the frame, when a pad is missing.
    static void QueueMessage(bool padOne, bool padTwo);
    // Shows or hides every object with a component of the type.
    static void ShowButtons(Components buttonType, bool shown);

    static bool s_TwoPlayerLevel;
};

} // namespace QRX
