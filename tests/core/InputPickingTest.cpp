#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cmath>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/InputManager.h"
#include "engine/graphics/Camera.h"
#include "engine/platform/Mouse.h"
#include "engine/platform/WindowMessages.h"
#include "objects/ObjectTestKit.h"

using namespace QRX;
using namespace QRX::TestKit;
using Platform::MakeMouseLParam;

namespace {

constexpr int W = 800;
constexpr int H = 600;

void ExpectVec(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Objects from the test masters, a camera at the origin looking down -z and
// an 800 x 600 window for the cursor.
class InputPickingTest : public ObjectFixture
{
protected:
    void SetUp() override
    {
        ObjectFixture::SetUp();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no display: " << SDL_GetError();
        m_window = SDL_CreateWindow("picking-test", 0, 0, W, H, SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        Platform::SetCursorWindow(m_window);
        int w = 0, h = 0;
        ASSERT_TRUE(Platform::GetCursorWindowSize(w, h));
        ASSERT_EQ(w, W);
        ASSERT_EQ(h, H);

        Camera::ResetStatics();
        m_camera = new Camera();
        m_camera->SetPerspective(45.0f, float(W) / H, 1.0f, 500.0f);
        m_camera->LookAt(glm::vec3(0, 0, 0), glm::vec3(0, 0, -1));
        System::GetInstance()->camera = m_camera;
    }
    void TearDown() override
    {
        System::GetInstance()->camera = nullptr;
        delete m_camera;
        Camera::ResetStatics();
        Platform::SetCursorWindow(nullptr);
        if (m_window) SDL_DestroyWindow(m_window);
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        ObjectFixture::TearDown();
    }
    GameObject* Crate(const glm::vec3& position, const glm::vec3& scale = glm::vec3(1))
    {
        GameObject* object = manager->CreateInstance(CRATE, position);
        EXPECT_NE(object, nullptr);
        object->scale = scale;
        object->flags &= ~OBJ_WORLD_VALID;
        return object;
    }
    GameObject* Panel(const glm::vec3& position, const glm::vec3& scale)
    {
        GameObject* object = manager->CreateUIObject(3, position, glm::quat(), scale);
        EXPECT_NE(object, nullptr);
        return object;
    }

    SDL_Window* m_window = nullptr;
    Camera* m_camera = nullptr;
};

} // namespace

TEST_F(InputPickingTest, UnprojectUsesTheClientSize)
{
    InputManager input;
    const float halfW = std::tan(glm::radians(22.5f));
    const float halfH = halfW * H / W;
    ExpectVec(input.Unproject(0, 0, 0), glm::vec3(-halfW, -halfH, -1));
    ExpectVec(input.Unproject(W, H, 0), glm::vec3(halfW, halfH, -1));
    ExpectVec(input.Unproject(W, H, 1), glm::vec3(500 * halfW, 500 * halfH, -500), 0.05f);

    System::GetInstance()->camera = nullptr;
    ExpectVec(input.Unproject(W, H, 1), glm::vec3(0));
}

TEST_F(InputPickingTest, RayPickTakesTheNearestActiveBox)
{
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2));
    GameObject* far = Crate(glm::vec3(0, 0, -20));
    GameObject* near = Crate(glm::vec3(0, 0, -10));
    GameObject* aside = Crate(glm::vec3(6, 0, -10));

    EXPECT_EQ(input.RayPick({far, near, aside}), near);
    EXPECT_EQ(input.RayPick({near, far}), near);
    EXPECT_EQ(input.RayPick({}), nullptr);

    near->flags &= ~OBJ_ACTIVE;  // inactive objects are passed over
    EXPECT_EQ(input.RayPick({far, near}), far);
    near->flags |= OBJ_ACTIVE;
    near->type = SKYBOX;  // so is the sky box
    EXPECT_EQ(input.RayPick({far, near}), far);
    near->type = CRATE;

    // The box is half the object's scale: a wide crate off to the side is hit.
    aside->scale = glm::vec3(13, 1, 1);
    EXPECT_EQ(input.RayPick({far, aside}), aside);

    // Two equal boxes: the earlier one.
    GameObject* twin = Crate(glm::vec3(0, 0, -10));
    EXPECT_EQ(input.RayPick({twin, near}), twin);
    EXPECT_EQ(input.RayPick({near, twin}), near);

    // The cursor on the right edge misses the centre boxes.
    input.OnMouseMove(MakeMouseLParam(W - 1, H / 2));
    EXPECT_EQ(input.RayPick({far, near}), nullptr);

    System::GetInstance()->camera = nullptr;
    EXPECT_EQ(input.RayPick({far, near}), nullptr);
}

TEST_F(InputPickingTest, PickedHandlesFollowTheObjects)
{
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2));
    GameObject* first = Crate(glm::vec3(0, 0, -10));
    GameObject* second = Crate(glm::vec3(0, 0, -30));
    std::vector<GameObject*> objects = {first, second};

    EXPECT_EQ(input.GetPickedObject(), nullptr);
    EXPECT_EQ(input.PickObject(objects, false), first);
    EXPECT_EQ(input.GetPickedObject(), first);
    first->flags &= ~OBJ_ACTIVE;
    EXPECT_EQ(input.PickObject(objects, false), second);
    EXPECT_EQ(input.GetPreviouslyPickedObject(), first);
    EXPECT_EQ(input.GetPickedObject(), second);

    // A miss leaves nothing picked.
    input.OnMouseMove(MakeMouseLParam(0, 0));
    EXPECT_EQ(input.PickObject(objects, false), nullptr);
    EXPECT_EQ(input.GetPickedObject(), nullptr);
    EXPECT_EQ(input.GetPreviouslyPickedObject(), second);

    // A picked object that dies reads as gone.
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2));
    ASSERT_EQ(input.PickObject(objects, false), second);
    second->flags |= OBJ_DESTROY;
    manager->Update();
    EXPECT_EQ(input.GetPickedObject(), nullptr);

    first->flags |= OBJ_ACTIVE;
    ASSERT_EQ(input.PickObject(objects, false), first);
    input.ReleasePickedObject();
    EXPECT_EQ(input.GetPickedObject(), nullptr);
}

TEST_F(InputPickingTest, ScreenPickTakesTheTopmostRectangle)
{
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(W / 2 + 30, H / 2 - 20));  // (30, 20) from the centre, y up
    GameObject* back = Panel(glm::vec3(0, 0, 1), glm::vec3(200, 100, 1));
    GameObject* front = Panel(glm::vec3(40, 20, 5), glm::vec3(40, 40, 1));
    GameObject* other = Panel(glm::vec3(-300, -200, 9), glm::vec3(50, 50, 1));

    EXPECT_EQ(input.ScreenPick({back, front, other}), front);
    EXPECT_EQ(input.ScreenPick({front, back}), front);
    EXPECT_EQ(input.ScreenPick({back, other}), back);
    front->position.z = 1;  // equal depth: the earlier one
    EXPECT_EQ(input.ScreenPick({back, front}), back);
    EXPECT_EQ(input.ScreenPick({front, back}), front);
    EXPECT_EQ(input.ScreenPick({other}), nullptr);

    EXPECT_EQ(input.PickScreenObject({back, other}, false), back);
    EXPECT_EQ(input.GetPickedObject(), back);
    EXPECT_EQ(input.PickScreenObject({other}, false), nullptr);
    EXPECT_EQ(input.GetPreviouslyPickedObject(), back);
}

TEST_F(InputPickingTest, MouseOnAHorizontalPlane)
{
    InputManager input;
    m_camera->LookAt(glm::vec3(0, 10, 10), glm::vec3(0, 0, 0));
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2 - 1));  // one row up: the centre after the -1
    input.Update();
    input.OnMouseMove(MakeMouseLParam(100, 500));

    glm::vec3 previous = input.GetMouseOnPlane(glm::vec3(7, 0, 7), false);
    ExpectVec(previous, glm::vec3(0, 0, 0));
    glm::vec3 current = input.GetMouseOnPlane(glm::vec3(0, 2, 0), true);
    EXPECT_NEAR(current.y, 2.0f, 1e-4f);
    // On the cursor's ray.
    glm::vec3 a = input.Unproject(100, H - 500 - 1, 0), b = input.Unproject(100, H - 500 - 1, 1);
    glm::vec3 along = glm::normalize(b - a);
    glm::vec3 toPoint = current - a;
    EXPECT_NEAR(glm::length(toPoint - along * glm::dot(toPoint, along)), 0.0f, 1e-3f);

    // A ray parallel to the plane meets it nowhere: the point comes back.
    m_camera->LookAt(glm::vec3(0, 3, 0), glm::vec3(0, 3, -10));
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2 - 1));
    ExpectVec(input.GetMouseOnPlane(glm::vec3(1, 0, 2), true), glm::vec3(1, 0, 2), 0.0f);

    System::GetInstance()->camera = nullptr;
    ExpectVec(input.GetMouseOnPlane(glm::vec3(1, 0, 2), true), glm::vec3(1, 0, 2), 0.0f);
}

TEST_F(InputPickingTest, PickingReachesCameraBoxesAndPanelOnlyThroughItsSeam)
{
    const EngineDoor::Picking saved = Door().picking;
    InputManager input;
    input.OnMouseMove(MakeMouseLParam(W / 2, H / 2));
    GameObject* near = Crate(glm::vec3(0, 0, -10));
    GameObject* far = Crate(glm::vec3(0, 0, -20));

    // An empty seam: no camera, no boxes, no panel, even with the camera set.
    Door().picking = {};
    ExpectVec(input.Unproject(W, H, 1), glm::vec3(0));
    EXPECT_EQ(input.RayPick({near, far}), nullptr);
    ExpectVec(input.GetMouseOnPlane(glm::vec3(1, 2, 3), true), glm::vec3(1, 2, 3));
    EXPECT_EQ(input.PickObject({near, far}, true), nullptr);

    // A stub camera whose ray runs down -z, boxes entered at their depth, and
    // a panel that records what it is shown.
    std::vector<GameObject*> shown;
    Door().picking.unproject = [](float, float, float depth, int width, int height, glm::vec3& point) {
        EXPECT_EQ(width, W);
        EXPECT_EQ(height, H);
        point = glm::vec3(0, 0, -100.0f * depth);
        return true;
    };
    Door().picking.enterPickBox = [](const glm::vec3& start, const glm::vec3& end, GameObject& object, float& t) {
        if (object.position.x != 0.0f) return false;
        t = (start.z - object.position.z) / (start.z - end.z);
        return true;
    };
    Door().picking.showInPanel = [&shown](GameObject* object) { shown.push_back(object); };
    EXPECT_EQ(input.RayPick({far, near}), near);
    EXPECT_EQ(input.PickObject({far, near}, true), near);
    EXPECT_EQ(input.PickObject({far}, false), far);
    near->position.x = 5.0f;
    far->position.x = 5.0f;
    EXPECT_EQ(input.PickObject({far, near}, true), nullptr);
    // The panel saw the pick, then the miss (which closes it); not the quiet pick.
    EXPECT_EQ(shown, (std::vector<GameObject*>{near, nullptr}));
    Door().picking = saved;
}
