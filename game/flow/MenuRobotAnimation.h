// The waving robot of the menus and loading pictures (CT_MENUROBOTANIMATION):
// a two-frame animation of its owner's GUI texture.
//
// Init shows the first frame. Every update advances a timer by the capped
// frame time; once it is strictly above the swap time the timer starts again
// from 0 and the texture flips: the second frame while the first one shows,
// the first frame otherwise (any other texture included). An owner without a
// GUI component keeps time and shows nothing.
//
// XML: "SwapTime" (seconds), by the generic field mechanism.
#pragma once
#include <string>

#include "engine/objects/Component.h"

namespace QRX {

constexpr const char* MENU_ROBOT_FIRST_FRAME = "robot_00";
constexpr const char* MENU_ROBOT_SECOND_FRAME = "robot_01";
constexpr float MENU_ROBOT_SWAP_TIME = 0.4f;

class MenuRobotAnimation : public Component
{
public:
    static constexpr Components TYPE = CT_MENUROBOTANIMATION;
    MenuRobotAnimation();
    ~MenuRobotAnimation() override = default;

    // The owner's GUI texture becomes the first frame.
    void Init() override;
    // Advances the timer and flips the frame (see above).
    void Update() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    std::string m_FirstFrame = MENU_ROBOT_FIRST_FRAME;
    std::string m_SecondFrame = MENU_ROBOT_SECOND_FRAME;
    float m_SwapTime = MENU_ROBOT_SWAP_TIME;
    float m_Timer = 0.0f;
};

} // namespace QRX
