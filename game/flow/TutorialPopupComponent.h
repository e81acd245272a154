// A tutorial trigger in a level (CT_TUTORIALPOPUP): when the robot touches it
// a picture comes up at the bottom of the screen.
//
// The trigger object carries an ethereal collision box, so the robot walks
// through it and the contact still reaches OnCollision. The first contact
// with a PLAYER toggles the popup (a trigger toggles once): shown, it stays
// DisplayTime seconds of capped frame time (the timer reaching the time
// counts) and then goes together with its trigger; with a negative time it
// stays until a contact hides it. A popup shown from the start ("IsDisplayed"
// true in the file) comes up in Init and is hidden by the first contact,
// which then removes both. Contacts of other object types and contacts
// without an object do nothing. Whether the picture is up now is the running
// game's own: the file's flag stays as read, so a save writes it unchanged.
//
// The picture is a SPRITE held by handle, so a picture that went elsewhere is
// never touched; removal marks the picture and the trigger for destruction.
// Every picture takes the same place on the screen, so one coming up
// removes any other still shown, with its trigger: one picture at a time.
//
// XML: "IsDisplayed", "TutorialTextureID" (the picture's texture id) and
// "DisplayTime" (seconds), by the generic field mechanism.
#pragma once
#include <string>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

// Where the picture is shown and how large: layout pixels, centre of the window.
constexpr float TUTORIAL_POPUP_X = 0.0f;
constexpr float TUTORIAL_POPUP_Y = -205.0f;
constexpr float TUTORIAL_POPUP_Z = -12.0f;
constexpr float TUTORIAL_POPUP_WIDTH = 300.0f;
constexpr float TUTORIAL_POPUP_HEIGHT = 180.0f;

class TutorialPopupComponent : public Component
{
public:
    static constexpr Components TYPE = CT_TUTORIALPOPUP;
    TutorialPopupComponent();
    ~TutorialPopupComponent() override = default;

    // Shows the popup when it is displayed from the start.
    void Init() override;
    // Advances the display timer of a shown popup with a time of 0 or more;
    // once it reaches the time, the picture and the trigger are removed.
    void Update() override;
    // A PLAYER's contact, once per trigger: shows a hidden popup, removes a
    // shown one with its trigger. Anything else (null included) is ignored.
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // Makes the picture (a SPRITE with the tutorial texture, fully opaque),
    // removes the other triggers' pictures and fits the interface to the
    // window; nothing while a picture exists or when the pool gives no object.
    void ShowPopup();
    // The picture while it exists, else null.
    GameObject* GetPopup();

    bool m_IsDisplayed = false;  // shown from the start: the file's flag
    bool m_IsShown = false;      // up now (from Init on)
    bool m_IsUpdateOnCollision = true;  // the next PLAYER contact still toggles
    std::string m_TutorialTextureID;
    float m_DisplayTime = 0.0f;  // seconds; negative: until a contact
    float m_DisplayTimeTimer = 0.0f;

private:
    // Marks the picture (when it exists) and the trigger for destruction.
    void RemovePopupAndTrigger();

    GameObjectHandle m_Popup;
};

} // namespace QRX
