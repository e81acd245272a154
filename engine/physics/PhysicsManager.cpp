#include "engine/physics/PhysicsManager.h"

#include "engine/core/Logger.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/SteerGenerators.h"

namespace QRX {

namespace {

template <typename Base>
Base* MakeFrom(FactoryMap<Base>& factories, int type, const char* function, int line)
{
    auto it = factories.find(type);
    if (it == factories.end() || !it->second) {
        AssertFailed(1, "it->second", function, __FILE__, line, "");
        return nullptr;
    }
    return it->second->Create();
}

template <typename Base>
void DeleteThrough(FactoryMap<Base>& factories, Base* object, const char* message, const char* function, int line)
{
    if (!object) return;
    auto it = factories.find(object->type);
    if (it == factories.end() || !it->second) {
        AssertFailed(1, "it->second", function, __FILE__, line, message);
        return;
    }
    it->second->Destroy(object);
}

} // namespace

PhysicsManager::PhysicsManager() = default;

PhysicsManager::~PhysicsManager()
{
    DeleteFactories(m_primitiveFactories);
    DeleteFactories(m_forceFactories);
    DeleteFactories(m_steerFactories);
}

ForceGenerator* PhysicsManager::MakeForceGenerator(int type)
{
    return MakeFrom(m_forceFactories, type, QRX_FUNCTION, __LINE__);
}

SteerGenerator* PhysicsManager::MakeSteerGenerator(int type)
{
    return MakeFrom(m_steerFactories, type, QRX_FUNCTION, __LINE__);
}

void PhysicsManager::DeleteForceGenerator(ForceGenerator* generator)
{
    DeleteThrough(m_forceFactories, generator, "No such force generator", QRX_FUNCTION, __LINE__);
}

void PhysicsManager::DeleteSteerGenerator(SteerGenerator* generator)
{
    DeleteThrough(m_steerFactories, generator, "No such steer generator", QRX_FUNCTION, __LINE__);
}

} // namespace QRX
