// The enemy box (CT_ENEMYBOX): a falling box that leaves a short-lived
// patrolling enemy where it lands on a block.
//
// Rules:
// - Its first contact with anything marks it for destruction; once marked
//   it ignores every further contact (a box landing on the seam of two
//   blocks touches both in one step, and makes one enemy). A null other is
//   ignored.
// - When that contact is with a CUBE, an ENEMY is made at the box's position
//   (x, y, z), raised to where the box rests on the cube's top when it lies
//   over the top but has sunk into it (a long frame of a fast fall). After the waypoints its master gives it, its patrol gets the
//   square (x + SQUARE_SIDE, y, z), (x + SQUARE_SIDE, y, z - SQUARE_SIDE),
//   (x, y, z - SQUARE_SIDE), (x, y, z), and it lives ENEMY_LIFE_SECONDS
//   (timed). A full pool, or an ENEMY without an AI component, is logged and
//   gets no square.
// - No fields of its own.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class EnemyBox : public Component
{
public:
    static constexpr Components TYPE = CT_ENEMYBOX;
    static constexpr float SQUARE_SIDE = 2.0f;
    static constexpr float ENEMY_LIFE_SECONDS = 8.0f;

    EnemyBox();

    // Marks the box; a CUBE also gets it an enemy (see the rules).
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

private:
    // The ENEMY at the position with its square and its timed life.
    static void MakeEnemy(const glm::vec3& at);
};

} // namespace QRX
