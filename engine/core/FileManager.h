// The owner of every XML data file the engine reads and writes.
//
// Reading: OpenFile loads a file and classifies it by its root element's name
// (exact case): "level" files and "MasterObject" files are walked through
// element views; "Profiles" through the profiles view; "config", "Meshes",
// "Textures", "controls" and "fonts" are generic data, flattened by
// ReadGenericData into keys made of an element (or first attribute) name and
// the entry number ("Path0", "MeshId1") and read back with ReadData.
// Element views point into open documents; closing or reloading a document
// nulls every view into it, and readers do nothing on a null view.
//
// Objects: ReadObjects creates the objects of the open level and
// ReadMasterObject builds the master object of the open "MasterObject" file
// (both in FileManagerObjects.cpp, with the component-type conversions).
//
// Writing: writers queue (command, argument) pairs with BeginWrite and the
// Write operations; SaveFile replays them into a document and writes it over
// the target only once the whole text is on disk.
#pragma once
#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}

namespace QRX {

class GameObject;

class FileManager
{
public:
    FileManager();
    ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // Loads (or reloads) a file and classifies it by its root. False, with an
    // ERROR line, when the file cannot be loaded or its root is unknown.
    bool OpenFile(const std::string& path);
    // Sets the view of a root's kind; false for an unknown root name.
    bool ParseFile(const std::string& rootName, tinyxml2::XMLElement* root);
    // Flattens the generic file opened last under the path; keeps existing data.
    void ReadGenericData(const std::string& path);
    // The value of key + index in a flattened file: "null" or 0 when absent.
    template <typename T>
    T ReadData(const std::string& path, const std::string& key, unsigned index);
    // Forgets a file; true only when it had flattened data.
    bool CloseFile(const std::string& path);
    // Rows, columns and height of the level's "Map"; absent values untouched.
    void ReadMap(unsigned& rows, unsigned& columns, unsigned& height);
    // The same from any "Map" element (not null), without a word when it is empty.
    static void ReadMapSizes(const tinyxml2::XMLElement* map, unsigned& rows, unsigned& columns, unsigned& height);
    // Appends the entries of a folder (ending with a separator) to directoryFiles.
    void GetAllFileFromDirectory(const std::string& folder);
    // Creates, through the object manager, one object per element from the
    // level's first "Object" on, each read from the element after its "Type".
    // Elements without a known "Type" first are skipped with a warning.
    void ReadObjects();
    // Builds the master object of the open "MasterObject" file, registers it
    // with the object manager under its type and returns it. Null (with an
    // ERROR line) when the file holds no object.
    GameObject* ReadMasterObject();
    // Replaces `to` by `from`; prints "Error renaming file" on failure.
    void RenameFile(const std::string& from, const std::string& to);
    // Closes every document and empties every container and the command list.
    void Clear();

    // The number of entries of a flattened file, 0 when it has none.
    int GetEntryCount(const std::string& path) const;

    // Write-command list.
    void BeginWrite(const std::string& rootName);
    void AddWriteCommand(const std::string& command, const std::string& argument);
    void WriteParent(const std::string& name);
    void WriteChild(const std::string& name);
    void WriteSibling(const std::string& name);
    void WriteValue(const std::string& text);
    void WriteReturn();
    // Replays the command list into a document and writes it to the path.
    // True when the file was written; on failure logs an ERROR and keeps any
    // previous file whole.
    bool SaveFile(const std::string& path);
    // The replayed document as text (what SaveFile writes).
    std::string RenderCommands() const;

    // Conversions of element texts.
    static float ConvertToFloat(const std::string& text);
    static std::string FloatToString(float value);
    static int ConvertToInt(const std::string& text);
    static unsigned ConvertToUnsigned(const std::string& text);
    static std::string ConvertToString(const std::string& text);
    static glm::vec3 ConvertToVec3(const std::string& text);
    static std::string Vec3ToString(const glm::vec3& v);
    // A component-type name to its value; a name not in the table (or not a
    // type) gives 0 with a WARNING.
    static Components Convert(const std::string& name);
    // Looks a component-type name up; false leaves the value alone.
    static bool FindComponentType(const std::string& name, Components& value);
    // The name of a component type, empty when it has none.
    static const std::string& ComponentsToString(int value);

    // Views into open documents; null when no file of that kind is open.
    tinyxml2::XMLElement* profilesElement = nullptr;
    tinyxml2::XMLElement* levelRoot = nullptr;
    tinyxml2::XMLElement* mapElement = nullptr;
    tinyxml2::XMLElement* masterObjectRoot = nullptr;
    tinyxml2::XMLElement* firstObjectElement = nullptr;
    tinyxml2::XMLElement* dataRoot = nullptr;

    std::map<std::string, std::unique_ptr<tinyxml2::XMLDocument>> documentContainer;
    std::map<std::string, std::map<std::string, std::string>> fileContainer;
    std::map<std::string, int> countContainer;
    std::list<std::pair<std::string, std::string>> writeCommands;
    std::vector<std::string> directoryFiles;

private:
    void ForgetViewsInto(const tinyxml2::XMLDocument* document);
    bool BuildDocument(tinyxml2::XMLDocument& document) const;
};

// The text of an element, or null when it has none (an empty element).
const char* ElementText(const tinyxml2::XMLElement* element);

// Key of a flattened value: name then index, one word ("Path" 0 -> "Path0").
std::string MakeDataKey(const std::string& name, unsigned index);

template <>
std::string FileManager::ReadData<std::string>(const std::string& path, const std::string& key, unsigned index);
template <>
int FileManager::ReadData<int>(const std::string& path, const std::string& key, unsigned index);
template <>
unsigned FileManager::ReadData<unsigned>(const std::string& path, const std::string& key, unsigned index);

} // namespace QRX
