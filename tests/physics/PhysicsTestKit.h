// A System holding a logger, a file manager and a physics manager with the
// generator factories registered, and helpers to read and write physics data.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/SteerGenerators.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

namespace QRX {
namespace PhysicsKit {

class PhysicsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->physicsManager = new PhysicsManager();
        fm = system->fileManager;
        physics = system->physicsManager;
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
    }

    // Parses "<Component><Type>CT_PHYSICS</Type>" + fields + "</Component>"
    // and returns the first element after Type (null when there is none).
    const tinyxml2::XMLElement* Fields(const std::string& fields)
    {
        docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        std::string text = "<Component><Type>CT_PHYSICS</Type>" + fields + "</Component>";
        EXPECT_EQ(docs.back()->Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        const tinyxml2::XMLElement* root = docs.back()->RootElement();
        return root ? root->FirstChildElement()->NextSiblingElement() : nullptr;
    }
    // The first element of a bare list of elements.
    const tinyxml2::XMLElement* Elements(const std::string& elements)
    {
        docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        std::string text = "<Data>" + elements + "</Data>";
        EXPECT_EQ(docs.back()->Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        return docs.back()->RootElement()->FirstChildElement();
    }
    // Runs a writer inside an object element and returns the document text.
    template <typename WriteFn>
    std::string WrittenInObject(WriteFn write)
    {
        fm->BeginWrite("level");
        fm->WriteParent("Object");
        fm->WriteChild("Type");
        fm->WriteValue("CRATE");
        write();
        fm->WriteSibling("After");
        return fm->RenderCommands();
    }
    // The names of an element's children, in order.
    static std::vector<std::string> ChildNames(const tinyxml2::XMLElement* e)
    {
        std::vector<std::string> names;
        for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            names.push_back(c->Name());
        return names;
    }

    TestSupport::ScopedTempHome home;
    FileManager* fm = nullptr;
    PhysicsManager* physics = nullptr;
    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> docs;
};

// Counts the occurrences of a text.
inline size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

} // namespace PhysicsKit
} // namespace QRX
