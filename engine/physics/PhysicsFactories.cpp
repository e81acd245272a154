#include "engine/physics/PhysicsFactories.h"

#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "engine/physics/SteerGenerators.h"

namespace QRX {

void RegisterForceGeneratorFactories()
{
    PhysicsManager* physics = System::GetInstance()->physicsManager;
    if (!physics) return;
    FactoryMap<ForceGenerator>& factories = physics->GetForceGeneratorFactories();
    FactoryRegister<ForceGenerator>(new Factory<ForceGenerator, GravityForceGenerator>(FG_GRAVITY), factories);
    FactoryRegister<ForceGenerator>(new Factory<ForceGenerator, DragForceGenerator>(FG_DRAG), factories);
}

void RegisterSteerGeneratorFactories()
{
    PhysicsManager* physics = System::GetInstance()->physicsManager;
    if (!physics) return;
    FactoryMap<SteerGenerator>& factories = physics->GetSteerGeneratorFactories();
    FactoryRegister<SteerGenerator>(new Factory<SteerGenerator, SeekSteerGenerator>(SG_SEEK), factories);
    FactoryRegister<SteerGenerator>(new Factory<SteerGenerator, ArriveSteerGenerator>(SG_ARRIVE), factories);
}

void RegisterPrimitiveFactories()
{
    PhysicsManager* physics = System::GetInstance()->physicsManager;
    if (!physics) return;
    RegisterPrimitiveFactories(physics->GetPrimitiveFactories());
}

void RegisterPrimitiveFactories(FactoryMap<Primitive>& factories)
{
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionSphere>(PR_SPHERE), factories);
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionBox>(PR_BOX), factories);
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionPlane>(PR_PLANE), factories);
}

void RegisterPhysicsComponents(FactoryMap<Component>& factories)
{
    FactoryRegister<Component>(new Factory<Component, PhysicsComponent>(CT_PHYSICS), factories);
    FactoryRegister<Component>(new Factory<Component, CollisionComponent>(CT_COLLISION), factories);
}

} // namespace QRX
