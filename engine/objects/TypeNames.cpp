#include "engine/objects/TypeNames.h"

namespace QRX {

namespace {

const std::string& EmptyName()
{
    static const std::string empty;
    return empty;
}

// The one name of a value; empty when no name or several names have it.
const std::string& NameOf(const EnumStringTable& table, int value)
{
    const std::string* found = nullptr;
    for (const auto& entry : table) {
        if (entry.second != value) continue;
        if (found) return EmptyName();
        found = &entry.first;
    }
    return found ? *found : EmptyName();
}

template <typename Enum>
bool ValueOf(const EnumStringTable& table, const std::string& name, Enum& value)
{
    auto it = table.find(name);
    if (it == table.end()) return false;
    value = static_cast<Enum>(it->second);
    return true;
}

// Each table's fill flag is cleared before its first fill, so Add (which goes
// through Get) never refills.
bool g_componentsNeedFill = true;
bool g_objectTypeNeedFill = true;
bool g_primitiveTypeNeedFill = true;
bool g_forceTypeNeedFill = true;
bool g_steerTypeNeedFill = true;
bool g_aiTypeNeedFill = true;

} // namespace

// ---- component types ----

EnumStringTable& GetComponentsNameTable()
{
    static EnumStringTable table;
    if (g_componentsNeedFill) {
        g_componentsNeedFill = false;
        FillComponentsNameTable();
    }
    return table;
}

void AddComponentsName(const std::string& name, int value) { GetComponentsNameTable().emplace(name, value); }

void FillComponentsNameTable()
{
    static const char* const names[COMPONENT_TYPE_COUNT] = {
        "COMPONENTS_ERRORVALUE",
        "CT_GRAPHICS",
        "CT_PHYSICS",
        "CT_COLLISION",
        "CT_PLAYER",
        "CT_AI",
        "CT_AICHASE",
        "CT_SWITCH",
        "CT_DOOR",
        "CT_CRATE",
        "CT_CHECKPOINT",
        "CT_EXIT",
        "CT_GUI",
        "CT_TEXT",
        "CT_EXPLODE",
        "CT_BLACKHOLE",
        "CT_TELEPORT",
        "CT_PARTICLEEMITTER",
        "CT_WAYPOINT",
        "CT_CRATESPAWNERCOMPONENT",
        "CT_CRATESPAWNERTRIGGERCOMPONENT",
        "CT_UILOGIC",
        "CT_CONVEYORBELT",
        "CT_COLLECTABLE",
        "CT_FORCEFIELD",
        "CT_GIZMO",
        "CT_BARRIER",
        "CT_TUTORIALPOPUP",
        "CT_JETSTREAM",
        "CT_BUTTONPREVIOUSLEVEL",
        "CT_BUTTONNEXTLEVEL",
        "CT_COMET",
        "CT_COMETSPAWNER",
        "CT_HOVERINGPLATFORM",
        "CT_BRIDGE",
        "CT_BRIDGETRIGGER",
        "CT_FALLINGPLATFORM",
        "CT_BOSS",
        "CT_TURRET",
        "CT_TURRETBULLET",
        "CT_MENUROBOTANIMATION",
        "CT_LEVELSCORE",
        "CT_ENEMYBOX",
        "CT_FOLLOWPATH",
        "CT_WALL",
        "CT_CONTROLLERWAIT",
    };
    for (int i = 0; i < COMPONENT_TYPE_COUNT; ++i) AddComponentsName(names[i], i);
}

const std::string& ComponentsToString(int value) { return NameOf(GetComponentsNameTable(), value); }

bool StringToComponents(const std::string& name, Components& value)
{
    return ValueOf(GetComponentsNameTable(), name, value);
}

// ---- object types ----

EnumStringTable& GetObjectTypeNameTable()
{
    static EnumStringTable table;
    if (g_objectTypeNeedFill) {
        g_objectTypeNeedFill = false;
        FillObjectTypeNameTable();
    }
    return table;
}

void AddObjectTypeName(const std::string& name, int value) { GetObjectTypeNameTable().emplace(name, value); }

void FillObjectTypeNameTable()
{
    static const char* const names[OBJECT_TYPE_COUNT] = {
        "OBJECTTYPE_ERRORVALUE",
        "DEFAULT",
        "PLAYER",
        "SWITCH",
        "CUBE",
        "SPHERE",
        "ENEMY",
        "FPSGRAPH",
        "GAMECONSOLE",
        "CRATE",
        "DOOR",
        "WALL",
        "EXIT_MARKER",
        "CHECKPOINT",
        "SKYBOX",
        "BARRIER",
        "PARTICLEEMITTER",
        "WAYPOINT",
        "CRATESPAWNER",
        "CRATESPAWNERTRIGGER",
        "UIOBJECT",
        "SPRITE",
        "CONVEYORBELT",
        "COLLECTABLE",
        "FORCEFIELD",
        "MOVE_X",
        "MOVE_Y",
        "MOVE_Z",
        "SCALE_X",
        "SCALE_Y",
        "SCALE_Z",
        "ROTATE_X",
        "ROTATE_Y",
        "ROTATE_Z",
        "THROWINDICATOR",
        "ENEMYPATHPOINT",
        "TUTORIALPOPUP",
        "LINK",
        "JETSTREAM",
        "BUTTONPREVIOUSLEVEL",
        "BUTTONNEXTLEVEL",
        "CRATEHOLOGRAM",
        "COMET",
        "COMETSPAWNER",
        "HOVERINGPLATFORM",
        "CRATEFORCEFIELD",
        "BRIDGE",
        "BRIDGETRIGGER",
        "FALLINGPLATFORM",
        "BOSS",
        "TURRET",
        "TURRETBULLET",
        "BRIDGETRIGGERHOLOGRAM",
        "MENUROBOTANIMATION",
        "LEVELSCORE",
        "ENEMYBOX",
        "BOSSTHROWPOSITION",
        "BOSSCRATE",
        "CONTROLLERWAIT",
    };
    for (int i = 0; i < OBJECT_TYPE_COUNT; ++i) AddObjectTypeName(names[i], i);
}

const std::string& ObjectTypeToString(int value) { return NameOf(GetObjectTypeNameTable(), value); }

bool StringToObjectType(const std::string& name, ObjectType& value)
{
    return ValueOf(GetObjectTypeNameTable(), name, value);
}

// ---- collision primitive types ----

EnumStringTable& GetPrimitiveTypeNameTable()
{
    static EnumStringTable table;
    if (g_primitiveTypeNeedFill) {
        g_primitiveTypeNeedFill = false;
        FillPrimitiveTypeNameTable();
    }
    return table;
}

void AddPrimitiveTypeName(const std::string& name, int value) { GetPrimitiveTypeNameTable().emplace(name, value); }

void FillPrimitiveTypeNameTable()
{
    AddPrimitiveTypeName("PR_SPHERE", PR_SPHERE);
    AddPrimitiveTypeName("PR_BOX", PR_BOX);
    AddPrimitiveTypeName("PR_PLANE", PR_PLANE);
}

const std::string& PrimitiveTypeToString(int value) { return NameOf(GetPrimitiveTypeNameTable(), value); }

bool StringToPrimitiveType(const std::string& name, PrimitiveType& value)
{
    return ValueOf(GetPrimitiveTypeNameTable(), name, value);
}

// ---- force-generator types ----

EnumStringTable& GetForceGeneratorTypeNameTable()
{
    static EnumStringTable table;
    if (g_forceTypeNeedFill) {
        g_forceTypeNeedFill = false;
        FillForceGeneratorTypeNameTable();
    }
    return table;
}

void AddForceGeneratorTypeName(const std::string& name, int value)
{
    GetForceGeneratorTypeNameTable().emplace(name, value);
}

void FillForceGeneratorTypeNameTable()
{
    AddForceGeneratorTypeName("FG_GRAVITY", FG_GRAVITY);
    AddForceGeneratorTypeName("FG_DRAG", FG_DRAG);
    AddForceGeneratorTypeName("FG_SPRING", FG_SPRING);
    AddForceGeneratorTypeName("FG_BOUYANCY", FG_BOUYANCY);
}

const std::string& ForceGeneratorTypeToString(int value)
{
    return NameOf(GetForceGeneratorTypeNameTable(), value);
}

bool StringToForceGeneratorType(const std::string& name, ForceGeneratorType& value)
{
    return ValueOf(GetForceGeneratorTypeNameTable(), name, value);
}

// ---- steering-generator types ----

EnumStringTable& GetSteerGeneratorTypeNameTable()
{
    static EnumStringTable table;
    if (g_steerTypeNeedFill) {
        g_steerTypeNeedFill = false;
        FillSteerGeneratorTypeNameTable();
    }
    return table;
}

void AddSteerGeneratorTypeName(const std::string& name, int value)
{
    GetSteerGeneratorTypeNameTable().emplace(name, value);
}

void FillSteerGeneratorTypeNameTable()
{
    AddSteerGeneratorTypeName("SG_SEEK", SG_SEEK);
    AddSteerGeneratorTypeName("SG_ARRIVE", SG_ARRIVE);
    AddSteerGeneratorTypeName("SG_SPRING", SG_SPRING);
    AddSteerGeneratorTypeName("SG_BOUYANCY", SG_BOUYANCY);
}

const std::string& SteerGeneratorTypeToString(int value)
{
    return NameOf(GetSteerGeneratorTypeNameTable(), value);
}

bool StringToSteerGeneratorType(const std::string& name, SteerGeneratorType& value)
{
    return ValueOf(GetSteerGeneratorTypeNameTable(), name, value);
}

// ---- AI kinds ----

EnumStringTable& GetAITypeNameTable()
{
    static EnumStringTable table;
    if (g_aiTypeNeedFill) {
        g_aiTypeNeedFill = false;
        FillAITypeNameTable();
    }
    return table;
}

void AddAITypeName(const std::string& name, int value) { GetAITypeNameTable().emplace(name, value); }

void FillAITypeNameTable()
{
    AddAITypeName("AI_PATROL", AI_PATROL);
    AddAITypeName("AI_SMASHER", AI_SMASHER);
    AddAITypeName("AI_CHASE", AI_CHASE);
}

const std::string& AITypeToString(int value) { return NameOf(GetAITypeNameTable(), value); }

bool StringToAIType(const std::string& name, AIType& value) { return ValueOf(GetAITypeNameTable(), name, value); }

} // namespace QRX
