// Test components and a fixture with a System holding a logger, a file
// manager and an object manager whose masters come from tests/data/objects.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/GameObjectHandle.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

namespace QRX {
namespace TestKit {

// Every broadcast call, as "<type>:<call>" (and "<type>:~" on destruction).
inline std::vector<std::string>& Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

// A component with a field of each of the seven types and a group "Range"
// holding "Min" and "Max"; it takes every shared body. Registered as CT_DOOR.
class ProbeComponent : public Component
{
public:
    ProbeComponent() : Component(CT_DOOR)
    {
        AddSerializeVar("", "Speed", &m_speed);
        AddSerializeVar("", "Name", &m_name);
        AddSerializeVar("", "Open", &m_open);
        AddSerializeVar("", "Target", &m_target);
        AddSerializeVar("Range", "Min", &m_min);
        AddSerializeVar("Range", "Max", &m_max);
        AddSerializeVar("", "Count", &m_count);
        AddSerializeVar("", "Offset", &m_offset);
        AddSerializeVar("", "Id", &m_id);
        AddEditorVar(&m_speed, "m_speed", "float", EDITORVAR_DIRECT, true);
    }
    ~ProbeComponent() override { Calls().push_back("8:~"); }
    void Init() override { Calls().push_back("8:Init"); }
    void Free() override { Calls().push_back("8:Free"); }
    void Read(const tinyxml2::XMLElement* first) override { ReadSerializeVars(first); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    float m_speed = 1.5f;
    std::string m_name = "door";
    bool m_open = false;
    Components m_target = CT_SWITCH;
    float m_min = 0.0f;
    float m_max = 10.0f;
    unsigned m_count = 3;
    Vec3 m_offset{0.0f, 1.0f, 0.0f};
    int m_id = -1;
};

// A component without fields that records its broadcasts; its type is T.
template <Components T>
class RecorderComponent : public Component
{
public:
    RecorderComponent() : Component(T) {}
    ~RecorderComponent() override { Record("~"); }
    void Init() override { Record("Init"); }
    void Update() override { Record("Update"); }
    void Free() override { Record("Free"); }
    void OnCollision(GameObject* other) override
    {
        Record(std::string("Hit") + (other ? std::to_string(other->id) : std::string("null")));
    }
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

private:
    void Record(const std::string& what) { Calls().push_back(std::to_string(static_cast<int>(T)) + ":" + what); }
};

// A component holding a handle to another object, as carriers and pickers do.
class LinkComponent : public Component
{
public:
    LinkComponent() : Component(CT_SWITCH) {}
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}
    GameObjectHandle target;
};

// Game states under test control: the fixture's door answers from them.
struct TestStates
{
    int current = 3;
    bool updating = false;
};

inline std::string ObjectFolder() { return TestSupport::SourceDir() + "/tests/data/objects/"; }

inline size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class ObjectFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Calls().clear();
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->objectManager = new ObjectManager();
        manager = system->objectManager;
        fm = system->fileManager;
        manager->SetObjectFolder(ObjectFolder());
        Door().currentState = [this]() { return states.current; };
        Door().stateUpdating = [this]() { return states.updating; };
        FactoryMap<Component>& factories = manager->GetFactories();
        FactoryRegister<Component>(new Factory<Component, RecorderComponent<CT_GRAPHICS>>(CT_GRAPHICS), factories);
        FactoryRegister<Component>(new Factory<Component, RecorderComponent<CT_PHYSICS>>(CT_PHYSICS), factories);
        FactoryRegister<Component>(new Factory<Component, RecorderComponent<CT_PLAYER>>(CT_PLAYER), factories);
        FactoryRegister<Component>(new Factory<Component, LinkComponent>(CT_SWITCH), factories);
        FactoryRegister<Component>(new Factory<Component, ProbeComponent>(CT_DOOR), factories);
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
        InstallProgramParts();
    }

    TestSupport::ScopedTempHome home;
    TestStates states;
    ObjectManager* manager = nullptr;
    FileManager* fm = nullptr;
};

} // namespace TestKit
} // namespace QRX
