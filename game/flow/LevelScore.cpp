#include "game/flow/LevelScore.h"

#include "engine/objects/GameObject.h"

namespace QRX {

LevelScore::LevelScore() : Component(CT_LEVELSCORE)
{
    AddSerializeVar("", "GradeATime", &gradeATime);
    AddSerializeVar("", "GradeBTime", &gradeBTime);
    AddSerializeVar("", "GradeCTime", &gradeCTime);
    AddEditorVar(&gradeATime, "gradeATime", "unsigned", EDITORVAR_DIRECT, true);
    AddEditorVar(&gradeBTime, "gradeBTime", "unsigned", EDITORVAR_DIRECT, true);
    AddEditorVar(&gradeCTime, "gradeCTime", "unsigned", EDITORVAR_DIRECT, true);
}

void LevelScore::Init()
{
    if (owner) owner->flags |= OBJ_SKIP_DRAW;
}

} // namespace QRX
