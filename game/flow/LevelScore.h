// The grade times of a level (CT_LEVELSCORE), on one LEVELSCORE object that
// the level file places. When a level is completed the first level score
// among the active objects grades the time: up to GradeATime seconds earns
// 'A', up to GradeBTime 'B', anything longer 'C'. GradeCTime is kept and saved
// only. The object carries a marker for the level editor; in play Init sets
// its skip-draw flag, so it is never drawn.
//
// XML: "GradeATime", "GradeBTime", "GradeCTime" (whole seconds), by the
// generic field mechanism.
#pragma once
#include "engine/objects/Component.h"

namespace QRX {

class LevelScore : public Component
{
public:
    static constexpr Components TYPE = CT_LEVELSCORE;
    LevelScore();
    ~LevelScore() override = default;

    // Sets the owner's skip-draw flag; nothing without an owner.
    void Init() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    unsigned gradeATime = 0;
    unsigned gradeBTime = 0;
    unsigned gradeCTime = 0;
};

} // namespace QRX
