// The level editor's gizmo without a window: the alignment rule, snapped and
// free drags of each handle kind, the handles' sizes, the GType field in
// files, and the gizmo's axis objects by mode.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <glm/gtc/quaternion.hpp>
#include <tinyxml2.h>

#include "tools/Gizmo.h"
#include "tools/GizmoComponent.h"
#include "flow/StateTestKit.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

void ExpectNear(const glm::vec3& actual, const glm::vec3& expected, const char* what)
{
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-4f) << what << " axis " << i;
}

TEST(GizmoRules, AlignToScaleByTheParityOfEachScale)
{
    const glm::vec3 at(3.2f, 1.7f, 4.9f);
    EXPECT_EQ(AlignToScale(at, glm::vec3(1.0f)), glm::vec3(3.5f, 1.5f, 4.5f));
    EXPECT_EQ(AlignToScale(at, glm::vec3(2.0f)), glm::vec3(3.0f, 1.0f, 4.0f));
    EXPECT_EQ(AlignToScale(at, glm::vec3(2.0f, 1.0f, 1.0f)), glm::vec3(3.0f, 1.7f, 4.9f));
    // Whole parts: 3.9 is odd, 0.5 is even (0); negative coordinates go positive on even axes.
    EXPECT_EQ(AlignToScale(glm::vec3(-3.2f, -1.7f, 2.2f), glm::vec3(3.9f, 0.5f, 1.0f)), glm::vec3(-3.2f, 1.0f, 2.2f));
    EXPECT_EQ(AlignToScale(glm::vec3(-1.3f, 0.2f, 7.0f), glm::vec3(-1.0f, 3.0f, 5.0f)),
              glm::vec3(-0.5f, 0.5f, 7.5f));
    // A scale that is no number keeps its coordinate and spoils no other axis.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const glm::vec3 odd = AlignToScale(at, glm::vec3(nan, 2.0f, std::numeric_limits<float>::infinity()));
    EXPECT_EQ(odd, glm::vec3(3.2f, 1.0f, 4.9f));
}

// Axis objects from the game's gizmo masters on a CUBE target.
class GizmoTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        objects = System::GetInstance()->objectManager;
        target = objects->CreateInstance(CUBE, glm::vec3(3.5f, 0.5f, 3.5f));
        ASSERT_NE(target, nullptr);
    }
    // A handle of the type attached to the target.
    GizmoComponent* Handle(ObjectType type)
    {
        GameObject* axis = objects->CreateGizmoInstance(type, target->position, Gizmo::AXIS_LAYER, STATE_LEVELEDITOR,
                                                        true);
        if (!axis) return nullptr;
        auto* handle = dynamic_cast<GizmoComponent*>(axis->GetComponent(CT_GIZMO));
        if (handle) handle->SetTarget(GameObjectHandle(target));
        return handle;
    }
    glm::vec3 Turned(const glm::vec3& v) const { return target->rotation * v; }

    ObjectManager* objects = nullptr;
    GameObject* target = nullptr;
};

TEST_F(GizmoTest, SnappedMovesWaitForAWholeUnitAndKeepTheTargetAboveTheFloor)
{
    GizmoComponent* x = Handle(MOVE_X);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->GType, X_MOVE);  // copied from the master
    EXPECT_TRUE(x->m_snap);
    x->Drag(glm::vec3(0.4f, 0.0f, 0.0f), glm::vec3(0.0f));
    x->Drag(glm::vec3(0.4f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position, glm::vec3(3.5f, 0.5f, 3.5f));
    target->flags |= OBJ_WORLD_VALID;
    x->Drag(glm::vec3(0.4f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position, glm::vec3(4.5f, 0.5f, 3.5f));
    EXPECT_FALSE(target->flags & OBJ_WORLD_VALID);
    EXPECT_EQ(x->m_accumulated, glm::vec3(0.0f));  // the sum restarts
    x->Drag(glm::vec3(2.7f, 5.0f, 5.0f), glm::vec3(9.0f));
    EXPECT_EQ(target->position, glm::vec3(6.5f, 0.5f, 3.5f));  // the whole part, along x only
    x->Drag(glm::vec3(-0.6f, 0.0f, 0.0f), glm::vec3(0.0f));
    x->Drag(glm::vec3(-0.6f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position.x, 5.5f);

    // The vertical handle follows the camera-space drag and stops at the floor.
    GizmoComponent* y = Handle(MOVE_Y);
    ASSERT_NE(y, nullptr);
    y->Drag(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -2.2f));
    EXPECT_EQ(target->position, glm::vec3(5.5f, 2.5f, 3.5f));
    y->Drag(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 7.0f));
    EXPECT_EQ(target->position.y, 0.5f);

    // Without snapping a frame's drag only counts once it crosses a whole number.
    x->m_snap = false;
    x->Drag(glm::vec3(0.3f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position.x, 5.5f);
    x->Drag(glm::vec3(0.6f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position.x, 6.5f);

    // A 2 x 2 x 2 target lands on whole coordinates.
    target->scale = glm::vec3(2.0f);
    GizmoComponent* z = Handle(MOVE_Z);
    z->Drag(glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->position, glm::vec3(6.0f, 0.5f, 4.0f));  // y 0 is below the floor

    // A drag that is no number changes nothing.
    z->Drag(glm::vec3(0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()), glm::vec3(0.0f));
    EXPECT_EQ(target->position, glm::vec3(6.0f, 0.5f, 4.0f));
}

TEST_F(GizmoTest, ScaleHandlesGrowTheTargetAndRealignIt)
{
    GizmoComponent* x = Handle(SCALE_X);
    ASSERT_NE(x, nullptr);
    x->Drag(glm::vec3(1.2f, 0.0f, 0.0f), glm::vec3(0.0f));
    EXPECT_EQ(target->scale, glm::vec3(2.0f, 1.0f, 1.0f));
    EXPECT_EQ(target->position, glm::vec3(3.0f, 0.5f, 3.5f));  // x now even
    x->Drag(glm::vec3(-3.0f, 0.0f, 0.0f), glm::vec3(0.0f));   // no lower bound
    EXPECT_EQ(target->scale.x, -1.0f);
}

TEST_F(GizmoTest, RotateHandlesTurnByEighthsAboutTheWorldAxis)
{
    GizmoComponent* y = Handle(ROTATE_Y);
    ASSERT_NE(y, nullptr);
    // Three eighths, then a fourth: Euler angles read back would fold the
    // turn back at 135 degrees.
    for (int i = 0; i < 3; ++i) y->Drag(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    ExpectNear(Turned(glm::vec3(0, 0, 1)), glm::vec3(std::sqrt(0.5f), 0.0f, -std::sqrt(0.5f)), "135");
    y->Drag(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f));
    ExpectNear(Turned(glm::vec3(0, 0, 1)), glm::vec3(0, 0, -1), "180");
    EXPECT_EQ(target->position, glm::vec3(3.5f, 0.5f, 3.5f));
    EXPECT_NEAR(glm::length(target->rotation), 1.0f, 1e-5f);

    // From an unturned object one step is the Euler turn of 45 degrees.
    target->rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    GizmoComponent* x = Handle(ROTATE_X);
    x->Drag(glm::vec3(0.0f, 0.0f, 1.3f), glm::vec3(0.0f));
    const glm::quat expected = GameObject::EulerDegreesToQuat(glm::vec3(45.0f, 0.0f, 0.0f));
    EXPECT_NEAR(std::fabs(glm::dot(target->rotation, expected)), 1.0f, 1e-5f);
    // A sub-unit snapped drag turns nothing.
    x->Drag(glm::vec3(0.0f, 0.0f, 0.5f), glm::vec3(0.0f));
    EXPECT_NEAR(std::fabs(glm::dot(target->rotation, expected)), 1.0f, 1e-5f);
}

TEST_F(GizmoTest, HandlesFitTheTargetsSize)
{
    GizmoComponent* ring = Handle(ROTATE_X);
    ASSERT_NE(ring, nullptr);
    target->scale = glm::vec3(1.0f, 2.0f, 3.0f);
    ring->FitAxisToTarget();
    ExpectNear(ring->owner->scale, glm::vec3(0.45f, 11.0f, 11.0f), "z larger");
    target->scale = glm::vec3(1.0f, 3.0f, 2.0f);
    ring->FitAxisToTarget();
    ExpectNear(ring->owner->scale, glm::vec3(0.45f, 9.0f, 9.0f), "y larger");

    // A bar keeps its long axis and reaches 4 beyond the target, whatever its sign.
    GizmoComponent* bar = Handle(MOVE_Z);
    const glm::vec3 before = bar->owner->scale;
    target->scale = glm::vec3(1.0f, 1.0f, -3.0f);
    bar->FitAxisToTarget();
    bar->FitAxisToTarget();
    EXPECT_EQ(bar->owner->scale, glm::vec3(before.x, before.y, 7.0f));

    // Without a target nothing changes.
    target->flags |= OBJ_DESTROY;
    objects->Update();
    bar->owner->scale = glm::vec3(1.0f);
    bar->FitAxisToTarget();
    bar->Drag(glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(0.0f));
    EXPECT_EQ(bar->owner->scale, glm::vec3(1.0f));
}

TEST_F(GizmoTest, TheDragNeedsTheButtonOnThisHandle)
{
    InputManager input;
    System::GetInstance()->inputManager = &input;
    GizmoComponent* x = Handle(MOVE_X);
    ASSERT_NE(x, nullptr);
    x->m_accumulated = glm::vec3(0.7f, 0.0f, 0.0f);
    x->Update();  // button up
    EXPECT_EQ(x->m_accumulated, glm::vec3(0.0f));
    x->m_accumulated = glm::vec3(0.7f, 0.0f, 0.0f);
    InputManager::current[KEY_LBUTTON] = 1;
    x->Update();  // held, but on no handle
    EXPECT_EQ(x->m_accumulated, glm::vec3(0.0f));
    EXPECT_EQ(target->position, glm::vec3(3.5f, 0.5f, 3.5f));
    ReleaseKeys();
    System::GetInstance()->inputManager = nullptr;
}

TEST_F(GizmoTest, GTypeInFiles)
{
    GizmoComponent* x = Handle(MOVE_X);
    GizmoComponent* y = Handle(MOVE_Y);
    ASSERT_TRUE(x && y);
    FileManager* files = System::GetInstance()->fileManager;
    const GameObject* master = objects->GetMasterObject(MOVE_X);
    ASSERT_NE(master, nullptr);
    const Component* masterHandle = master->GetComponent(CT_GIZMO);

    files->BeginWrite("level");
    x->Write(masterHandle);
    EXPECT_EQ(files->writeCommands.size(), 1u);  // equal to its master: nothing
    x->GType = Z_SCALE;
    EXPECT_FALSE(x->IsEqual(masterHandle));
    files->WriteParent("Object");
    files->WriteChild("Type");
    files->WriteValue("MOVE_X");
    x->Write(masterHandle);
    x->Write(masterHandle);  // a second component lands beside the first, not inside it
    const std::string text = files->RenderCommands();
    EXPECT_NE(text.find("<Component>\n            <Type>CT_GIZMO</Type>\n            <GType>Z_SCALE</GType>\n"
                        "        </Component>\n        <Component>"),
              std::string::npos)
        << text;

    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse("<c><Type>CT_GIZMO</Type><GType>Y_ROTATE</GType><GType>SIDEWAYS</GType></c>"),
              tinyxml2::XML_SUCCESS);
    testing::internal::CaptureStdout();
    y->Read(document.RootElement()->FirstChildElement());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Unknown gizmo handle kind \"SIDEWAYS\""),
              std::string::npos);
    EXPECT_EQ(y->GType, Y_ROTATE);  // the unknown name keeps the kind read before it
}

TEST_F(GizmoTest, ModesMakeAndReplaceThreeAxes)
{
    Gizmo gizmo;
    gizmo.SetGizmoMode(Gizmo::MODE_MOVE, target, STATE_LEVELEDITORNEXT);
    ASSERT_EQ(gizmo.GetMode(), Gizmo::MODE_MOVE);
    GameObject* moveX = gizmo.GetAxis(0);
    ASSERT_TRUE(moveX && gizmo.GetAxis(1) && gizmo.GetAxis(2));
    EXPECT_EQ(gizmo.GetAxis(2)->type, MOVE_Z);
    EXPECT_EQ(moveX->layer, Gizmo::AXIS_LAYER);
    EXPECT_EQ(moveX->stateId, STATE_LEVELEDITORNEXT);
    auto* handle = dynamic_cast<GizmoComponent*>(moveX->GetComponent(CT_GIZMO));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->m_target.object, target);

    gizmo.SetGizmoMode(Gizmo::MODE_MOVE, target, STATE_LEVELEDITOR);  // the same mode: same axes
    EXPECT_EQ(gizmo.GetAxis(0), moveX);

    // Update moves the axes onto the target and hands down the snapping flag.
    target->position = glm::vec3(7.5f, 2.5f, 1.5f);
    gizmo.snap = false;
    gizmo.Update();
    EXPECT_EQ(moveX->position, target->position);
    EXPECT_FALSE(handle->m_snap);
    EXPECT_EQ(moveX->scale.x, 5.0f);  // fitted to the unit target

    gizmo.SetGizmoMode(Gizmo::MODE_ROTATE, target, STATE_LEVELEDITOR);
    EXPECT_TRUE(moveX->flags & OBJ_DESTROY);
    ASSERT_NE(gizmo.GetAxis(1), nullptr);
    EXPECT_EQ(gizmo.GetAxis(1)->type, ROTATE_Y);
    gizmo.SetGizmoMode(7, target, STATE_LEVELEDITOR);  // no such mode: none
    EXPECT_EQ(gizmo.GetMode(), Gizmo::MODE_NONE);
    EXPECT_EQ(gizmo.GetAxis(0), nullptr);
    objects->Update();
    for (GameObject* o : objects->GetAllObjects()) EXPECT_EQ(o->layer, 0) << "axis left " << o->type;

    // An axis without its component: reported, nothing attached or moved.
    gizmo.SetGizmoMode(Gizmo::MODE_SCALE, nullptr, STATE_LEVELEDITOR);
    ASSERT_NE(gizmo.GetAxis(1), nullptr);
    EXPECT_EQ(gizmo.GetAxis(0)->position, glm::vec3(0.0f));  // no target: at the origin
    gizmo.GetAxis(1)->RemoveComponent(CT_GIZMO);
    testing::internal::CaptureStdout();
    gizmo.Attach(target);
    gizmo.Update();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "Failed Condition: !m_yAxis || !m_yAxis->GetComponent(CT_GIZMO)"), 1u) << out;
    EXPECT_EQ(TestSupport::Count(out, "Failed Condition: !m_yAxis->GetComponent(CT_GIZMO)"), 1u);
    EXPECT_NE(out.find("GIZMO AXIS IS MISSING GIZMO COMPONENT! THIS SHOULDN'T HAPPEN!"), std::string::npos);
    EXPECT_EQ(gizmo.GetAxis(0)->position, glm::vec3(0.0f));

    // An axis that died reads as absent.
    gizmo.GetAxis(2)->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_EQ(gizmo.GetAxis(2), nullptr);
}

} // namespace
