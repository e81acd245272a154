// Skeletal animation playback: key advance, interpolation, the joint walk and
// the guards for skeletons without a usable timeline.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/Animation.h"

using namespace QRX;

namespace {

KeyFrame Key(float time, glm::vec3 t, glm::vec4 r = {0, 0, 0, 1})
{
    KeyFrame k;
    k.time = time;
    for (int i = 0; i < 3; ++i) k.T[i] = t[i];
    for (int i = 0; i < 4; ++i) k.R[i] = r[i];
    return k;
}

Joint MakeJoint(std::int32_t parent, glm::vec3 bind)
{
    Joint j;
    j.parent = parent;
    j.bindMatrix = glm::mat4(1.0f);
    j.bindMatrix[3] = glm::vec4(bind, 1.0f);
    j.inverseBindMatrix = glm::inverse(j.bindMatrix);
    return j;
}

void Link(Skeleton& s)
{
    for (std::size_t i = 0; i < s.joints.size(); ++i)
        if (s.joints[i].parent >= 0) s.joints[std::size_t(s.joints[i].parent)].children.push_back(std::int32_t(i));
    s.jointCount = std::uint32_t(s.joints.size());
}

const float H = std::sqrt(0.5f);
const glm::vec4 QUARTER_Z(0, 0, H, H);  // a quarter turn about z

// Two joints (root at y 1, child 1 above it), keys at 0, 1, 2 on both tracks.
Skeleton TwoJointSkeleton()
{
    Skeleton s;
    s.joints.push_back(MakeJoint(-1, {0, 1, 0}));
    s.joints.push_back(MakeJoint(0, {0, 2, 0}));
    s.joints[0].keys = {Key(0, {0, 1, 0}, QUARTER_Z), Key(1, {6.2f, 3, 0}), Key(2, {0, 1, 0})};
    s.joints[1].keys = {Key(0, {0, 1, 0}), Key(1, {12.4f, 1, 0}), Key(2, {0, 1, 0})};
    s.lastKeyIndex = 2;
    s.longestTrack = 1;
    Link(s);
    return s;
}

void ExpectMat(const glm::mat4& a, const glm::mat4& b, float eps = 1e-5f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(a[c][r], b[c][r], eps) << "column " << c << " row " << r;
}

} // namespace

TEST(Animation, MidpointInterpolatesTranslationDividesXAndStepsRotation)
{
    Skeleton s = TwoJointSkeleton();
    AnimationState state;
    state.clock = 0.5f;
    AnimationUpdate(state, s, 0.02f);
    EXPECT_EQ(state.currentKey, 1u);
    EXPECT_FLOAT_EQ(state.clock, 0.52f);

    // Root: T = midpoint (3.1, 2, 0), x / 6.2 -> 0.5; rotation of key 0 (quarter turn).
    const Joint& root = s.joints[0];
    EXPECT_NEAR(root.globalMatrix[3].x, 0.5f, 1e-6f);
    EXPECT_NEAR(root.globalMatrix[3].y, 2.0f, 1e-6f);
    glm::vec4 x = root.globalMatrix * glm::vec4(1, 0, 0, 0);
    EXPECT_NEAR(x.y, 1.0f, 1e-6f);
    // A root's global matrix is its local one.
    glm::mat4 local = QuaternionMatrix(0, 0, H, H);
    local[3] = glm::vec4(0.5f, 2.0f, 0.0f, 1.0f);
    ExpectMat(root.globalMatrix, local);
    ExpectMat(root.skinMatrix, root.globalMatrix * root.inverseBindMatrix);

    // Child: parent global x its local (midpoint (6.2, 1, 0) -> x 1).
    const Joint& child = s.joints[1];
    glm::mat4 childLocal(1.0f);
    childLocal[3] = glm::vec4(1.0f, 1.0f, 0.0f, 1.0f);
    ExpectMat(child.globalMatrix, root.globalMatrix * childLocal);
    ExpectMat(child.skinMatrix, child.globalMatrix * child.inverseBindMatrix);
}

TEST(Animation, PastTheLastKeyWrapsToKeyOneAndKeyZerosPose)
{
    Skeleton s = TwoJointSkeleton();
    AnimationState state;
    state.currentKey = 2;
    state.clock = 2.01f;
    AnimationUpdate(state, s, 0.03f);
    EXPECT_EQ(state.currentKey, 1u);
    EXPECT_FLOAT_EQ(state.clock, 0.03f);
    glm::mat4 key0 = QuaternionMatrix(0, 0, H, H);
    key0[3] = glm::vec4(0, 1, 0, 1);
    ExpectMat(s.joints[0].globalMatrix, key0);
}

TEST(Animation, AtMostOneKeyPerCall)
{
    Skeleton s = TwoJointSkeleton();
    for (Joint& j : s.joints) j.keys.push_back(Key(3, {0, 1, 0}));
    s.lastKeyIndex = 3;
    AnimationState state;
    state.clock = 2.9f;  // beyond keys 1 and 2
    AnimationUpdate(state, s, 0.05f);
    EXPECT_EQ(state.currentKey, 2u);
    AnimationUpdate(state, s, 0.05f);
    EXPECT_EQ(state.currentKey, 3u);
    // Equal to the key time does not advance (the test is strict).
    AnimationState exact;
    exact.clock = 1.0f;
    AnimationUpdate(exact, s, 0.0f);
    EXPECT_EQ(exact.currentKey, 1u);
}

TEST(Animation, TimelineComesFromTheLongestTrack)
{
    Skeleton s = TwoJointSkeleton();
    s.joints[0].keys[1].time = 4.0f;  // only the longest track's (joint 1's) times count
    s.joints[0].keys[2].time = 8.0f;
    AnimationState state;
    state.clock = 0.5f;  // halfway between the timeline's keys 0 and 1
    AnimationUpdate(state, s, 0.0f);
    EXPECT_EQ(state.currentKey, 1u);
    EXPECT_NEAR(s.joints[0].globalMatrix[3].y, 2.0f, 1e-6f);  // halfway between 1 and 3
}

TEST(Animation, ChildrenAreVisitedOnlyFromJointZero)
{
    Skeleton s = TwoJointSkeleton();
    s.joints.push_back(MakeJoint(-1, {5, 5, 5}));  // a second root is not walked
    s.joints[2].keys = s.joints[1].keys;
    s.jointCount = 3;
    AnimationState state;
    AnimationUpdate(state, s, 0.0f);
    EXPECT_EQ(s.joints[2].globalMatrix, glm::mat4(1.0f));
    EXPECT_EQ(s.joints[2].skinMatrix, glm::mat4(1.0f));
}

TEST(Animation, NoTimelineShowsTheBindPose)
{
    Skeleton s = TwoJointSkeleton();
    for (Joint& j : s.joints) j.keys.resize(1);
    s.lastKeyIndex = 0;  // fewer than two keys (also what a missing "anim" chunk leaves)
    AnimationState state;
    state.currentKey = 5;
    AnimationUpdate(state, s, 0.05f);
    for (const Joint& j : s.joints) {
        ExpectMat(j.globalMatrix, j.bindMatrix);
        ExpectMat(j.skinMatrix, glm::mat4(1.0f));
    }
    EXPECT_FLOAT_EQ(state.clock, 0.05f);

    Skeleton empty;
    AnimationUpdate(state, empty, 0.05f);  // no joints at all: nothing to pose, no crash
}

TEST(Animation, KeysWithTheSameTimeGiveTheEarlierPose)
{
    Skeleton s = TwoJointSkeleton();
    for (Joint& j : s.joints) j.keys[1].time = 0.0f;
    AnimationState state;
    state.clock = 0.0f;
    AnimationUpdate(state, s, 0.0f);
    EXPECT_EQ(state.currentKey, 1u);
    for (const Joint& j : s.joints)
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) EXPECT_TRUE(std::isfinite(j.skinMatrix[c][r]));
    EXPECT_NEAR(s.joints[0].globalMatrix[3].y, 1.0f, 1e-6f);
}

TEST(Animation, AShortTrackKeepsTheJointInItsBindPlaceUnderItsParent)
{
    Skeleton s = TwoJointSkeleton();
    s.joints[0].keys.resize(1);  // the root's track stops before key 1
    AnimationState state;
    state.clock = 0.5f;
    AnimationUpdate(state, s, 0.0f);
    ExpectMat(s.joints[0].globalMatrix, s.joints[0].bindMatrix);
    ExpectMat(s.joints[0].skinMatrix, glm::mat4(1.0f));
    // The child still follows its own keys: midpoint (6.2, 1, 0) -> (1, 1, 0) above the root.
    EXPECT_NEAR(s.joints[1].globalMatrix[3].x, 1.0f, 1e-6f);
    EXPECT_NEAR(s.joints[1].globalMatrix[3].y, 2.0f, 1e-6f);
}

TEST(Animation, AKeyLeftByALongerTimelineRestartsTheLoop)
{
    Skeleton s = TwoJointSkeleton();
    AnimationState state;
    state.currentKey = 9;
    state.clock = 7.0f;
    AnimationUpdate(state, s, 0.01f);
    EXPECT_EQ(state.currentKey, 1u);
    EXPECT_FLOAT_EQ(state.clock, 0.01f);
}
