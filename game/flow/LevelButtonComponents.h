// The buttons of the transition screens that move through the level table:
// ButtonNextLevelComponent (CT_BUTTONNEXTLEVEL) asks for the next id of the
// current state's row, ButtonPreviousLevelComponent (CT_BUTTONPREVIOUSLEVEL)
// for the id of the row before it.
//
// A button acts through the UI-logic component of its own object (without one
// it does nothing). Each frame it plays the hover sound as the pointer enters
// and the click sound as the left button goes down on it; on every frame its
// selection is held (the frames after the click) it puts up the loading
// picture, queues the caption, hides every active text component and the
// transition screen's time and winner texts, and asks the level manager for
// the level. The request changes the state on the next
// frame, which removes the button.
//
// The loading picture (a SPRITE over the whole window and a waving
// MENUROBOTANIMATION) is made only while the ones this button made are gone:
// a request that is not carried out at once (refused, or overwritten later in
// the frame) is asked again each frame without filling the object pool.
//
// No fields of their own and none in files: Read and Write do nothing, two
// buttons are always equal, copying copies nothing.
#pragma once
#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

class LevelManager;

// The loading picture a level button puts up.
constexpr const char* LOADING_PICTURE_TEXTURE = "loading_00";
constexpr float LOADING_PICTURE_Z = -5.0f;
// The robot over it: position and size in layout pixels.
constexpr float LOADING_ROBOT_X = -30.0f;
constexpr float LOADING_ROBOT_Y = 50.0f;
constexpr float LOADING_ROBOT_Z = -4.9f;
constexpr float LOADING_ROBOT_SIZE = 400.0f;
// The caption: pixels from the top left, in the font given, white.
constexpr const char* LOADING_WORLD_CAPTION = "Loading Game World";
constexpr float LOADING_WORLD_CAPTION_X = 50.0f;
constexpr float LOADING_WORLD_CAPTION_Y = 70.0f;
constexpr const char* LOADING_WORLD_CAPTION_FONT = "medium";

class LevelButtonComponent : public Component
{
public:
    // One frame of the button (see above).
    void Update() override;
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

protected:
    explicit LevelButtonComponent(Components componentType) : Component(componentType) {}
    // Writes the button's request through the level manager.
    virtual void RequestLevel(LevelManager& levels) = 0;

private:
    // The loading picture and robot, each made again only when it is gone.
    void ShowLoadingPicture();

    GameObjectHandle m_Picture;
    GameObjectHandle m_Robot;
};

class ButtonNextLevelComponent : public LevelButtonComponent
{
public:
    static constexpr Components TYPE = CT_BUTTONNEXTLEVEL;
    ButtonNextLevelComponent() : LevelButtonComponent(CT_BUTTONNEXTLEVEL) {}

protected:
    void RequestLevel(LevelManager& levels) override;
};

class ButtonPreviousLevelComponent : public LevelButtonComponent
{
public:
    static constexpr Components TYPE = CT_BUTTONPREVIOUSLEVEL;
    ButtonPreviousLevelComponent() : LevelButtonComponent(CT_BUTTONPREVIOUSLEVEL) {}

protected:
    void RequestLevel(LevelManager& levels) override;
};

} // namespace QRX
