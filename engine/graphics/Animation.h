// Skeletal animation playback.
//
// One AnimationState is the clock shared by every animated mesh: all of them
// play the same loop in step, and every AnimationUpdate advances it. The
// timeline is the key times of the skeleton's longest track; interpolation
// runs from key k-1 to key k, translation linearly (its x divided by
// KEY_TRANSLATION_X_SCALE) and rotation stepped (key k-1's). The loop wraps to
// key 1 with the clock at 0, so key 0 is the pose at the start.
//
// The update poses a copy of the mesh's skeleton for one draw: it writes each
// visited joint's globalMatrix and skinMatrix (global x inverse bind), walking
// from joint 0 so that parents come before children.
#pragma once
#include <cstdint>

#include "engine/graphics/ModelData.h"

namespace QRX {

struct AnimationState
{
    std::uint32_t currentKey = 1;  // the key being approached
    float clock = 0.0f;            // seconds since the loop started
    bool flag = false;             // not used by the update
};

// Poses the skeleton for the state's clock, then advances the clock by dt
// (seconds, capped by the caller). At most one key is passed per call.
// A skeleton without a timeline of at least two keys shows its bind pose; a
// joint whose track is shorter than the timeline keeps its bind placement
// relative to its parent; two keys with the same time give key k-1's pose.
void AnimationUpdate(AnimationState& state, Skeleton& skeleton, float dt);

} // namespace QRX
