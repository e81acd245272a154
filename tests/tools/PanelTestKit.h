// Test helpers for the developer panels: a small engine with the tweak-bar
// library started without drawing (the program's GL context is current, so
// textures load), and reads, edits and presses that go through the library's
// own value cache and pending edits, as a drawn panel's would.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/platform/tweakbar/TweakBar.h"
#include "engine/platform/tweakbar/TweakBarModel.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"
#include "tools/AntTweakBar.h"
#include "tools/TweakBarState.h"

namespace QRX {
namespace PanelKit {

struct F2 { float x, y; };
struct F3 { float x, y, z; };
struct F4 { float x, y, z, w; };

inline TweakBar::Bar* BarNamed(const std::string& name)
{
    TweakBar::Model* model = TweakBar::LibraryModel();
    return model ? model->FindBarByName(name) : nullptr;
}

inline TweakBar::Node* Item(const std::string& bar, const std::string& name)
{
    TweakBar::Bar* b = BarNamed(bar);
    return b ? TweakBar::LibraryModel()->FindNode(*b, name) : nullptr;
}

// The value the panel shows now (get callbacks run); the value of T{} when
// the variable is missing or of another size.
template <typename T>
T Read(const std::string& bar, const std::string& name)
{
    T value{};
    if (!TweakBar::LibraryModel()) return value;
    TweakBar::LibraryModel()->Refresh();
    TweakBar::Node* node = Item(bar, name);
    EXPECT_TRUE(node && node->cache.bytes.size() == sizeof(T)) << bar << "/" << name;
    if (node && node->cache.bytes.size() == sizeof(T))
        std::memcpy(static_cast<void*>(&value), node->cache.bytes.data(), sizeof(T));
    return value;
}

// An edit as the panel makes it (a value's bytes, or text for strings);
// false when the library refuses it.
inline bool Edit(const std::string& bar, const std::string& name, const TweakBar::Value& v)
{
    TweakBar::Node* node = Item(bar, name);
    if (!node || !TweakBar::LibraryModel()->QueueEdit(node->id, v)) return false;
    TweakBar::LibraryModel()->RunPending();
    return true;
}

template <typename T>
bool Write(const std::string& bar, const std::string& name, const T& value)
{
    TweakBar::Value v;
    v.bytes.resize(sizeof(T));
    std::memcpy(v.bytes.data(), &value, sizeof(T));
    return Edit(bar, name, v);
}

inline bool WriteText(const std::string& bar, const std::string& name, const std::string& text)
{
    TweakBar::Value v;
    v.text = text;
    return Edit(bar, name, v);
}

inline bool Press(const std::string& bar, const std::string& name)
{
    TweakBar::Node* node = Item(bar, name);
    if (!node || !TweakBar::LibraryModel()->QueuePress(node->id)) return false;
    TweakBar::LibraryModel()->RunPending();
    return true;
}

// A System with a logger, file, object (all component factories), physics,
// input and texture managers and a renderer without GL work whose viewport is
// 1024 x 768, the panels' record, and SetUp run.
class PanelTest : public TestSupport::GLServicesTest
{
protected:
    static constexpr int WIDTH = 1024;
    static constexpr int HEIGHT = 768;

    void SetUp() override
    {
        TestSupport::GLServicesTest::SetUp();
        System* s = System::GetInstance();
        s->physicsManager = new PhysicsManager();
        s->objectManager = new ObjectManager();
        RegisterComponentFactories();
        RegisterPrimitiveFactories();
        s->inputManager = new InputManager();
        s->textureManager = new TextureManager();
        s->textureManager->Init();
        s->renderer = new Renderer();
        s->renderer->Resize(WIDTH, HEIGHT, Renderer::DEFAULT_FIELD_OF_VIEW);
        s->tweakBarState = new TweakBarState();
        AntTweakBar::SetUp(s->tweakBarState);
        ASSERT_NE(TweakBar::LibraryModel(), nullptr);
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    }
    void TearDown() override
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
        TestSupport::GLServicesTest::TearDown();
    }

    static System& S() { return *System::GetInstance(); }
    static TweakBarState& State() { return *System::GetInstance()->tweakBarState; }
    std::string Page() const { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }
};

} // namespace PanelKit
} // namespace QRX
