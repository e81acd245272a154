// Steps the boss's and the turret's behaviour-tree tasks share: finding the
// component that owns their tree, the timed rule, random drop offsets, and
// the exploding crates they drop.
//
// Rules:
// - A task reaches the game only through the component whose tree holds it.
//   TaskOwner casts that owner; when the tree has no owner, or an owner of
//   another class (a boss task in a turret's tree), it writes one WARNING
//   naming the task and answers null, and the task then fails and does
//   nothing at every tick.
// - The timed rule: a timer fires when it is strictly greater than its
//   interval, and then restarts from 0.
// - A random sign is +1 when Random() % 10 < SIGN_SPLIT, else -1. A random
//   offset below n draws the sign first, then the magnitude Random() % n; for
//   n below 1 (an empty range) it draws only the sign and is 0.
#pragma once
#include <string>

#include <glm/glm.hpp>

#include "engine/core/Logger.h"
#include "engine/objects/Component.h"
#include "game/gameplay/BehaviorTree.h"

namespace QRX {

class GameObject;

constexpr int SIGN_SPLIT = 5;
constexpr int SIGN_RANGE = 10;

// The component that owns the tree holding the task, when it is of the
// class asked for; otherwise null, with one WARNING naming the task and the
// owner it needs.
template <typename OwnerClass>
OwnerClass* TaskOwner(const BehaviorTree::CustomBehavior& task, const char* ownerName)
{
    BehaviorTree::Node* node = task.GetNode();
    BehaviorTree::BehaviorTree* tree = node ? node->GetTree() : nullptr;
    Component* owner = tree ? tree->GetOwner() : nullptr;
    auto* found = dynamic_cast<OwnerClass*>(owner);
    if (!found)
        QRX_LOG_WARNING("Behavior task %s sits in a tree that is not run by a %s; it does nothing.",
                        task.GetName().c_str(), ownerName);
    return found;
}

// The timed rule: true (and the timer back to 0) when the timer is strictly
// greater than the interval; false, leaving it, otherwise.
bool TimerFires(float& timer, float interval);

// +1 or -1 (see the rules).
int RandomSign();
// A whole-number offset in (-below, below), sign drawn first; 0 for below < 1.
float RandomOffset(int below);
// A float truncated toward zero to an int, held inside the int range; 0 for
// a value that is not a number.
int TruncateToInt(float value);

// A CRATE at the position with an explode component added (initialised at
// once outside the editor states). Null when the pool gives none.
GameObject* DropExplodingCrate(const glm::vec3& position);
// Sets the object's graphics texture; nothing for null or an object without
// graphics.
void SetObjectTexture(GameObject* object, const std::string& textureId);

} // namespace QRX
