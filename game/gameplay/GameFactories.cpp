#include "game/gameplay/GameFactories.h"

#include "engine/objects/Component.h"
#include "game/flow/LevelButtonComponents.h"
#include "game/flow/LevelScore.h"
#include "game/flow/MenuRobotAnimation.h"
#include "game/flow/TutorialPopupComponent.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/AIChaseComponent.h"
#include "game/gameplay/AIComponent.h"
#include "game/gameplay/BarrierComponent.h"
#include "game/gameplay/BossComponent.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "game/gameplay/CheckPointComponent.h"
#include "game/gameplay/CollectableComponent.h"
#include "game/gameplay/CometComponent.h"
#include "game/gameplay/CometSpawnerComponent.h"
#include "game/gameplay/ControllerWaitComponent.h"
#include "game/gameplay/ConveyorBeltComponent.h"
#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/CrateSpawnerTriggerComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/EnemyBox.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/ExplodeComponent.h"
#include "game/gameplay/FallingPlatformComponent.h"
#include "game/gameplay/FollowPath.h"
#include "game/gameplay/ForceFieldComponent.h"
#include "game/gameplay/HoveringPlatform.h"
#include "game/gameplay/JetstreamComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "game/gameplay/TeleportPowerComponent.h"
#include "game/gameplay/Turret.h"
#include "game/gameplay/TurretBullet.h"
#include "game/gameplay/WallComponent.h"
#include "game/gameplay/WaypointComponent.h"

namespace QRX {

void RegisterGameComponents(FactoryMap<Component>& factories)
{
    // One line per component class, in key order, as the classes are added.
    FactoryRegister<Component>(new Factory<Component, PlayerComponent>(CT_PLAYER), factories);
    FactoryRegister<Component>(new Factory<Component, AIComponent>(CT_AI), factories);
    FactoryRegister<Component>(new Factory<Component, AIChaseComponent>(CT_AICHASE), factories);
    FactoryRegister<Component>(new Factory<Component, SwitchComponent>(CT_SWITCH), factories);
    FactoryRegister<Component>(new Factory<Component, DoorComponent>(CT_DOOR), factories);
    FactoryRegister<Component>(new Factory<Component, CrateComponent>(CT_CRATE), factories);
    FactoryRegister<Component>(new Factory<Component, CheckPointComponent>(CT_CHECKPOINT), factories);
    FactoryRegister<Component>(new Factory<Component, ExitComponent>(CT_EXIT), factories);
    FactoryRegister<Component>(new Factory<Component, ExplodeComponent>(CT_EXPLODE), factories);
    FactoryRegister<Component>(new Factory<Component, TeleportPowerComponent>(CT_TELEPORT), factories);
    FactoryRegister<Component>(new Factory<Component, WaypointComponent>(CT_WAYPOINT), factories);
    FactoryRegister<Component>(new Factory<Component, CrateSpawnerComponent>(CT_CRATESPAWNERCOMPONENT), factories);
    FactoryRegister<Component>(new Factory<Component, CrateSpawnerTriggerComponent>(CT_CRATESPAWNERTRIGGERCOMPONENT), factories);
    FactoryRegister<Component>(new Factory<Component, UILogicComponent>(CT_UILOGIC), factories);
    FactoryRegister<Component>(new Factory<Component, ConveyorBeltComponent>(CT_CONVEYORBELT), factories);
    FactoryRegister<Component>(new Factory<Component, CollectableComponent>(CT_COLLECTABLE), factories);
    FactoryRegister<Component>(new Factory<Component, ForceFieldComponent>(CT_FORCEFIELD), factories);
    FactoryRegister<Component>(new Factory<Component, BarrierComponent>(CT_BARRIER), factories);
    FactoryRegister<Component>(new Factory<Component, TutorialPopupComponent>(CT_TUTORIALPOPUP), factories);
    FactoryRegister<Component>(new Factory<Component, JetstreamComponent>(CT_JETSTREAM), factories);
    FactoryRegister<Component>(new Factory<Component, ButtonPreviousLevelComponent>(CT_BUTTONPREVIOUSLEVEL), factories);
    FactoryRegister<Component>(new Factory<Component, ButtonNextLevelComponent>(CT_BUTTONNEXTLEVEL), factories);
    FactoryRegister<Component>(new Factory<Component, CometComponent>(CT_COMET), factories);
    FactoryRegister<Component>(new Factory<Component, CometSpawnerComponent>(CT_COMETSPAWNER), factories);
    FactoryRegister<Component>(new Factory<Component, HoveringPlatform>(CT_HOVERINGPLATFORM), factories);
    FactoryRegister<Component>(new Factory<Component, BridgeComponent>(CT_BRIDGE), factories);
    FactoryRegister<Component>(new Factory<Component, BridgeTriggerComponent>(CT_BRIDGETRIGGER), factories);
    FactoryRegister<Component>(new Factory<Component, FallingPlatformComponent>(CT_FALLINGPLATFORM), factories);
    FactoryRegister<Component>(new Factory<Component, BossComponent>(CT_BOSS), factories);
    FactoryRegister<Component>(new Factory<Component, Turret>(CT_TURRET), factories);
    FactoryRegister<Component>(new Factory<Component, TurretBullet>(CT_TURRETBULLET), factories);
    FactoryRegister<Component>(new Factory<Component, MenuRobotAnimation>(CT_MENUROBOTANIMATION), factories);
    FactoryRegister<Component>(new Factory<Component, LevelScore>(CT_LEVELSCORE), factories);
    FactoryRegister<Component>(new Factory<Component, EnemyBox>(CT_ENEMYBOX), factories);
    FactoryRegister<Component>(new Factory<Component, FollowPath>(CT_FOLLOWPATH), factories);
    FactoryRegister<Component>(new Factory<Component, WallComponent>(CT_WALL), factories);
    FactoryRegister<Component>(new Factory<Component, ControllerWaitComponent>(CT_CONTROLLERWAIT), factories);
}

} // namespace QRX
