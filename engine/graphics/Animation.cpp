#include "engine/graphics/Animation.h"

#include <vector>

namespace QRX {

namespace {

void PoseBind(Skeleton& skeleton)
{
    for (Joint& joint : skeleton.joints) {
        joint.globalMatrix = joint.bindMatrix;
        joint.skinMatrix = joint.bindMatrix * joint.inverseBindMatrix;
    }
}

bool IsRoot(const Skeleton& skeleton, const Joint& joint)
{
    return joint.parent < 0 || std::size_t(joint.parent) >= skeleton.joints.size();
}

} // namespace

void AnimationUpdate(AnimationState& state, Skeleton& skeleton, float dt)
{
    std::vector<Joint>& joints = skeleton.joints;
    std::uint32_t last = skeleton.lastKeyIndex;
    bool hasTimeline = skeleton.longestTrack < joints.size() && last >= 1 &&
                       joints[skeleton.longestTrack].keys.size() > last;
    if (!hasTimeline) {
        PoseBind(skeleton);
        state.clock += dt;
        return;
    }
    const std::vector<KeyFrame>& timeline = joints[skeleton.longestTrack].keys;

    // 1. Key advance. A key outside this timeline (left by a longer one) restarts the loop.
    std::uint32_t k = state.currentKey;
    if (k < 1 || k > last) {
        k = 1;
        state.clock = 0.0f;
    }
    if (timeline[k].time < state.clock) {
        ++k;
        if (k > last) {
            k = 1;
            state.clock = 0.0f;
        }
    }
    state.currentKey = k;

    float span = timeline[k].time - timeline[k - 1].time;
    float alpha = span > 0.0f ? (state.clock - timeline[k - 1].time) / span : 0.0f;

    // 2. Joint walk from joint 0, last pushed child first.
    std::vector<std::uint32_t> stack;
    std::vector<bool> visited(joints.size(), false);
    stack.push_back(0);
    while (!stack.empty()) {
        std::uint32_t j = stack.back();
        stack.pop_back();
        if (j >= joints.size() || visited[j]) continue;
        visited[j] = true;
        Joint& joint = joints[j];
        bool root = IsRoot(skeleton, joint);

        glm::mat4 local;
        if (joint.keys.size() > k) {
            const KeyFrame& from = joint.keys[k - 1];
            const KeyFrame& to = joint.keys[k];
            glm::vec3 t;
            for (int i = 0; i < 3; ++i) t[i] = (1.0f - alpha) * from.T[i] + alpha * to.T[i];
            t.x /= KEY_TRANSLATION_X_SCALE;
            local = QuaternionMatrix(from.R[0], from.R[1], from.R[2], from.R[3]);
            local[3] = glm::vec4(t, 1.0f);
        } else if (root) {
            local = joint.bindMatrix;
        } else {
            local = joints[std::size_t(joint.parent)].inverseBindMatrix * joint.bindMatrix;
        }

        joint.globalMatrix = root ? local : joints[std::size_t(joint.parent)].globalMatrix * local;
        joint.skinMatrix = joint.globalMatrix * joint.inverseBindMatrix;
        for (std::int32_t child : joint.children) {
            if (child >= 0) stack.push_back(std::uint32_t(child));
        }
    }

    // 3. The clock moves after the walk.
    state.clock += dt;
}

} // namespace QRX
