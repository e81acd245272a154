// Enumerations named in data files, and their name tables.
//
// Files name kinds of things by words ("CRATE", "CT_PHYSICS", "PR_BOX",
// "FG_GRAVITY", "SG_SEEK", "AI_PATROL"); code works with the integer values.
// Each enumeration has one name table: an ordered map from name to value, built
// once on its first use (Get fills it; Fill and Add never run again after
// that). ToString walks the table and returns the one name of a value, or an
// empty string when no name or more than one name has it. StringToX looks a
// name up (exact, case-sensitive) and leaves the out value alone when absent.
#pragma once
#include <map>
#include <string>

namespace QRX {

using EnumStringTable = std::map<std::string, int>;

// Component types. The value is also the factory key and the order in which an
// object's broadcasts visit its components. CT_BLACKHOLE has no class.
enum Components {
    COMPONENTS_ERRORVALUE = 0,
    CT_GRAPHICS = 1,
    CT_PHYSICS = 2,
    CT_COLLISION = 3,
    CT_PLAYER = 4,
    CT_AI = 5,
    CT_AICHASE = 6,
    CT_SWITCH = 7,
    CT_DOOR = 8,
    CT_CRATE = 9,
    CT_CHECKPOINT = 10,
    CT_EXIT = 11,
    CT_GUI = 12,
    CT_TEXT = 13,
    CT_EXPLODE = 14,
    CT_BLACKHOLE = 15,
    CT_TELEPORT = 16,
    CT_PARTICLEEMITTER = 17,
    CT_WAYPOINT = 18,
    CT_CRATESPAWNERCOMPONENT = 19,
    CT_CRATESPAWNERTRIGGERCOMPONENT = 20,
    CT_UILOGIC = 21,
    CT_CONVEYORBELT = 22,
    CT_COLLECTABLE = 23,
    CT_FORCEFIELD = 24,
    CT_GIZMO = 25,
    CT_BARRIER = 26,
    CT_TUTORIALPOPUP = 27,
    CT_JETSTREAM = 28,
    CT_BUTTONPREVIOUSLEVEL = 29,
    CT_BUTTONNEXTLEVEL = 30,
    CT_COMET = 31,
    CT_COMETSPAWNER = 32,
    CT_HOVERINGPLATFORM = 33,
    CT_BRIDGE = 34,
    CT_BRIDGETRIGGER = 35,
    CT_FALLINGPLATFORM = 36,
    CT_BOSS = 37,
    CT_TURRET = 38,
    CT_TURRETBULLET = 39,
    CT_MENUROBOTANIMATION = 40,
    CT_LEVELSCORE = 41,
    CT_ENEMYBOX = 42,
    CT_FOLLOWPATH = 43,
    CT_WALL = 44,
    CT_CONTROLLERWAIT = 45
};
// One past the largest component type; names at or above it are not types.
constexpr int COMPONENT_TYPE_COUNT = 46;

// Object types; the name is also the base name of the type's master file.
enum ObjectType {
    OBJECTTYPE_ERRORVALUE = 0,
    DEFAULT = 1,
    PLAYER = 2,
    SWITCH = 3,
    CUBE = 4,
    SPHERE = 5,
    ENEMY = 6,
    FPSGRAPH = 7,
    GAMECONSOLE = 8,
    CRATE = 9,
    DOOR = 10,
    WALL = 11,
    EXIT_MARKER = 12,
    CHECKPOINT = 13,
    SKYBOX = 14,
    BARRIER = 15,
    PARTICLEEMITTER = 16,
    WAYPOINT = 17,
    CRATESPAWNER = 18,
    CRATESPAWNERTRIGGER = 19,
    UIOBJECT = 20,
    SPRITE = 21,
    CONVEYORBELT = 22,
    COLLECTABLE = 23,
    FORCEFIELD = 24,
    MOVE_X = 25,
    MOVE_Y = 26,
    MOVE_Z = 27,
    SCALE_X = 28,
    SCALE_Y = 29,
    SCALE_Z = 30,
    ROTATE_X = 31,
    ROTATE_Y = 32,
    ROTATE_Z = 33,
    THROWINDICATOR = 34,
    ENEMYPATHPOINT = 35,
    TUTORIALPOPUP = 36,
    LINK = 37,
    JETSTREAM = 38,
    BUTTONPREVIOUSLEVEL = 39,
    BUTTONNEXTLEVEL = 40,
    CRATEHOLOGRAM = 41,
    COMET = 42,
    COMETSPAWNER = 43,
    HOVERINGPLATFORM = 44,
    CRATEFORCEFIELD = 45,
    BRIDGE = 46,
    BRIDGETRIGGER = 47,
    FALLINGPLATFORM = 48,
    BOSS = 49,
    TURRET = 50,
    TURRETBULLET = 51,
    BRIDGETRIGGERHOLOGRAM = 52,
    MENUROBOTANIMATION = 53,
    LEVELSCORE = 54,
    ENEMYBOX = 55,
    BOSSTHROWPOSITION = 56,
    BOSSCRATE = 57,
    CONTROLLERWAIT = 58
};
constexpr int OBJECT_TYPE_COUNT = 59;

// Collision primitive types (keys of the physics manager's primitive factories).
enum PrimitiveType { PR_SPHERE = 0, PR_BOX = 1, PR_PLANE = 2 };

// Force-generator types; only gravity and drag have factories.
enum ForceGeneratorType { FG_GRAVITY = 0, FG_DRAG = 1, FG_SPRING = 2, FG_BOUYANCY = 3 };

// Steering-generator types; only seek and arrive have factories.
enum SteerGeneratorType { SG_SEEK = 0, SG_ARRIVE = 1, SG_SPRING = 2, SG_BOUYANCY = 3 };

// Kinds of AI of the AI component.
enum AIType { AI_PATROL = 0, AI_SMASHER = 1, AI_CHASE = 2 };

// Component types.
EnumStringTable& GetComponentsNameTable();
void FillComponentsNameTable();
void AddComponentsName(const std::string& name, int value);
const std::string& ComponentsToString(int value);
bool StringToComponents(const std::string& name, Components& value);

// Object types.
EnumStringTable& GetObjectTypeNameTable();
void FillObjectTypeNameTable();
void AddObjectTypeName(const std::string& name, int value);
const std::string& ObjectTypeToString(int value);
bool StringToObjectType(const std::string& name, ObjectType& value);

// Collision primitive types.
EnumStringTable& GetPrimitiveTypeNameTable();
void FillPrimitiveTypeNameTable();
void AddPrimitiveTypeName(const std::string& name, int value);
const std::string& PrimitiveTypeToString(int value);
bool StringToPrimitiveType(const std::string& name, PrimitiveType& value);

// Force-generator types.
EnumStringTable& GetForceGeneratorTypeNameTable();
void FillForceGeneratorTypeNameTable();
void AddForceGeneratorTypeName(const std::string& name, int value);
const std::string& ForceGeneratorTypeToString(int value);
bool StringToForceGeneratorType(const std::string& name, ForceGeneratorType& value);

// Steering-generator types.
EnumStringTable& GetSteerGeneratorTypeNameTable();
void FillSteerGeneratorTypeNameTable();
void AddSteerGeneratorTypeName(const std::string& name, int value);
const std::string& SteerGeneratorTypeToString(int value);
bool StringToSteerGeneratorType(const std::string& name, SteerGeneratorType& value);

// AI kinds.
EnumStringTable& GetAITypeNameTable();
void FillAITypeNameTable();
void AddAITypeName(const std::string& name, int value);
const std::string& AITypeToString(int value);
bool StringToAIType(const std::string& name, AIType& value);

} // namespace QRX
