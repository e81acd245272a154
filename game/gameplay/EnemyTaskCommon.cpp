#include "game/gameplay/EnemyTaskCommon.h"

#include <climits>
#include <cmath>

#include "engine/core/Random.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

bool TimerFires(float& timer, float interval)
{
    if (!(timer > interval)) return false;
    timer = 0.0f;
    return true;
}

int RandomSign() { return Random() % SIGN_RANGE < SIGN_SPLIT ? 1 : -1; }

float RandomOffset(int below)
{
    const int sign = RandomSign();
    if (below < 1) return 0.0f;
    return static_cast<float>((Random() % below) * sign);
}

int TruncateToInt(float value)
{
    if (std::isnan(value)) return 0;
    // Converting a float outside the int range is undefined.
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

GameObject* DropExplodingCrate(const glm::vec3& position)
{
    ObjectManager* objects = Objects();
    GameObject* crate = objects ? objects->CreateInstance(CRATE, position) : nullptr;
    if (crate) crate->AddComponent(CT_EXPLODE);
    return crate;
}

void SetObjectTexture(GameObject* object, const std::string& textureId)
{
    if (GraphicsComponent* graphics = GetGraphicsComponent(object)) graphics->SetTextureName(textureId);
}

} // namespace QRX
