#include "engine/core/FileManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

#include <tinyxml2.h>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"
#include "engine/platform/FileSearch.h"

namespace QRX {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace {

std::istringstream ClassicIn(const std::string& text)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    return in;
}

// Flattens an element and its following siblings into the map (first key wins).
void Flatten(const XMLElement* element, unsigned index, std::map<std::string, std::string>& out)
{
    for (; element; element = element->NextSiblingElement()) {
        if (const tinyxml2::XMLAttribute* a = element->FirstAttribute())
            out.emplace(MakeDataKey(a->Name(), index), a->Value() ? a->Value() : "");
        const tinyxml2::XMLNode* first = element->FirstChild();
        if (first && first->ToText())
            out.emplace(MakeDataKey(element->Name(), index), first->Value() ? first->Value() : "");
        Flatten(element->FirstChildElement(), index, out);
    }
}

bool BelongsTo(const XMLElement* view, const XMLDocument* document)
{
    return view && view->GetDocument() == document;
}

// The load failures that have their own line; every other error (a file cut
// short, a bad character...) gets one naming tinyxml2's error, so a broken
// file never fails without a word.
void ReportLoadError(tinyxml2::XMLError err, const std::string& path)
{
    switch (err) {
    case tinyxml2::XML_ERROR_FILE_NOT_FOUND:
        QRX_LOG_ERROR("Unable to open file: %s, xml file does not exist!", path.c_str());
        break;
    case tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED:
        QRX_LOG_ERROR("Unable to open file: %s, xml file cannot be opened!", path.c_str());
        break;
    case tinyxml2::XML_ERROR_MISMATCHED_ELEMENT:
        QRX_LOG_ERROR("Unable to open file: %s, mismatched elements found in xml document!", path.c_str());
        break;
    case tinyxml2::XML_ERROR_EMPTY_DOCUMENT:
        QRX_LOG_ERROR("Unable to open file: %s, xml document is empty!", path.c_str());
        break;
    default:
        QRX_LOG_ERROR("Unable to open file: %s, xml document could not be parsed (%s)!", path.c_str(),
                      XMLDocument::ErrorIDToName(err));
        break;
    }
}

} // namespace

const char* ElementText(const XMLElement* element)
{
    return element ? element->GetText() : nullptr;
}

std::string MakeDataKey(const std::string& name, unsigned index)
{
    std::stringstream s;
    s.imbue(std::locale::classic());
    s << name << index;
    std::string word;
    s >> word;
    return word;
}

FileManager::FileManager() = default;

FileManager::~FileManager() { Clear(); }

void FileManager::ForgetViewsInto(const XMLDocument* document)
{
    XMLElement** views[] = {&profilesElement, &levelRoot, &mapElement,
                            &masterObjectRoot, &firstObjectElement, &dataRoot};
    for (XMLElement** view : views)
        if (BelongsTo(*view, document)) *view = nullptr;
}

bool FileManager::OpenFile(const std::string& path)
{
    auto it = documentContainer.find(path);
    XMLDocument* document = nullptr;
    if (it == documentContainer.end()) {
        auto fresh = std::make_unique<XMLDocument>();
        document = fresh.get();
        tinyxml2::XMLError err = document->LoadFile(Platform::ResolvePath(path).c_str());
        if (err == tinyxml2::XML_SUCCESS) documentContainer.emplace(path, std::move(fresh));
        else document = nullptr;
        if (!document) {
            ReportLoadError(err, path);
            return false;
        }
    } else {
        // Reloading: the old document goes, and with it every view into it.
        ForgetViewsInto(it->second.get());
        it->second = std::make_unique<XMLDocument>();
        document = it->second.get();
        tinyxml2::XMLError err = document->LoadFile(Platform::ResolvePath(path).c_str());
        if (err != tinyxml2::XML_SUCCESS) {
            ReportLoadError(err, path);
            return false;
        }
    }

    XMLElement* root = document->FirstChildElement();
    std::string rootName = root && root->Name() ? root->Name() : "";
    bool result = ParseFile(rootName, root);
    if (!result) {
        QRX_LOG_ERROR("Unable to open file: %s, might probably be an xml formatting error.", path.c_str());
        QRX_ASSERT(result, 0, "XML format not recognised!");
        return false;
    }
    return true;
}

bool FileManager::ParseFile(const std::string& rootName, XMLElement* root)
{
    if (!root) return false;
    if (rootName == "level") {
        profilesElement = nullptr;
        mapElement = nullptr;
        firstObjectElement = nullptr;
        levelRoot = root;
        XMLElement* child = root->FirstChildElement();
        if (!child) {
            QRX_LOG_ERROR("XML file data section is empty!");
            QRX_ASSERT(child, 0, "XML file data section is empty!");
            return false;
        }
        for (; child; child = child->NextSiblingElement()) {
            const char* name = child->Name();
            if (std::strcmp(name, "Map") == 0) {
                mapElement = child;
            } else if (std::strcmp(name, "Object") == 0) {
                firstObjectElement = child;
                break;
            }
        }
        return true;
    }
    if (rootName == "MasterObject") {
        masterObjectRoot = root;
        return true;
    }
    if (rootName == "config" || rootName == "Meshes" || rootName == "Textures" || rootName == "controls" ||
        rootName == "fonts") {
        dataRoot = root;
        return true;
    }
    if (rootName == "Profiles") {
        profilesElement = root->FirstChildElement();
        return true;
    }
    return false;
}

void FileManager::ReadGenericData(const std::string& path)
{
    std::map<std::string, std::string> data;
    int index = 0;
    if (dataRoot) {
        for (const XMLElement* entry = dataRoot->FirstChildElement(); entry; entry = entry->NextSiblingElement()) {
            Flatten(entry->FirstChildElement(), static_cast<unsigned>(index), data);
            ++index;
        }
    }
    fileContainer.emplace(path, std::move(data));
    countContainer.emplace(path, index);
}

int FileManager::GetEntryCount(const std::string& path) const
{
    auto it = countContainer.find(path);
    return it == countContainer.end() ? 0 : it->second;
}

namespace {
const std::string* FindData(FileManager& fm, const std::string& path, const std::string& key, unsigned index,
                            bool& fileFound)
{
    auto fIt = fm.fileContainer.find(path);
    fileFound = fIt != fm.fileContainer.end();
    if (!fileFound) {
        QRX_LOG_ERROR("File not found: %s.", path.c_str());
        QRX_ASSERT(fIt != fm.fileContainer.end(), 0, "File not found!");
        return nullptr;
    }
    auto kIt = fIt->second.find(MakeDataKey(key, index));
    return kIt == fIt->second.end() ? nullptr : &kIt->second;
}
} // namespace

template <>
std::string FileManager::ReadData<std::string>(const std::string& path, const std::string& key, unsigned index)
{
    bool found = false;
    const std::string* text = FindData(*this, path, key, index, found);
    return text ? *text : std::string("null");
}

template <>
int FileManager::ReadData<int>(const std::string& path, const std::string& key, unsigned index)
{
    bool found = false;
    const std::string* text = FindData(*this, path, key, index, found);
    return text ? ConvertToInt(*text) : 0;
}

template <>
unsigned FileManager::ReadData<unsigned>(const std::string& path, const std::string& key, unsigned index)
{
    bool found = false;
    const std::string* text = FindData(*this, path, key, index, found);
    return text ? ConvertToUnsigned(*text) : 0u;
}

bool FileManager::CloseFile(const std::string& path)
{
    auto dIt = documentContainer.find(path);
    if (dIt != documentContainer.end()) {
        ForgetViewsInto(dIt->second.get());
        documentContainer.erase(dIt);
    }
    auto fIt = fileContainer.find(path);
    if (fIt == fileContainer.end()) return false;
    fileContainer.erase(fIt);
    countContainer.erase(path);
    return true;
}

void FileManager::ReadMap(unsigned& rows, unsigned& columns, unsigned& height)
{
    if (!mapElement) return;
    if (!mapElement->FirstChildElement()) {
        QRX_LOG_ERROR("Map data section is empty!");
        return;
    }
    ReadMapSizes(mapElement, rows, columns, height);
}

void FileManager::ReadMapSizes(const XMLElement* map, unsigned& rows, unsigned& columns, unsigned& height)
{
    for (const XMLElement* child = map->FirstChildElement(); child; child = child->NextSiblingElement()) {
        const char* text = ElementText(child);
        if (!text) continue;
        if (std::strcmp(child->Name(), "Row") == 0) rows = ConvertToUnsigned(text);
        else if (std::strcmp(child->Name(), "Column") == 0) columns = ConvertToUnsigned(text);
        else if (std::strcmp(child->Name(), "Height") == 0) height = ConvertToUnsigned(text);
    }
}

void FileManager::GetAllFileFromDirectory(const std::string& folder)
{
    // Listed by the platform, by name ignoring case: the same order on every machine.
    std::vector<std::string> names;
    const Platform::SearchResult result = Platform::SearchFolder(folder, "*.*", names);
    if (result == Platform::SearchResult::NoFolder || result == Platform::SearchResult::Unlistable) {
        QRX_LOG_WARNING("Directory not found!");
        return;
    }
    for (const std::string& name : names) {
        std::printf("%s\n", name.c_str());
        directoryFiles.push_back(folder + name);
    }
    std::fflush(stdout);
}

void FileManager::RenameFile(const std::string& from, const std::string& to)
{
    std::string source = Platform::ResolvePath(from);
    std::string target = Platform::ResolvePath(to);
    std::remove(target.c_str());
    if (std::rename(source.c_str(), target.c_str()) != 0) std::perror("Error renaming file");
}

void FileManager::Clear()
{
    profilesElement = levelRoot = mapElement = masterObjectRoot = firstObjectElement = dataRoot = nullptr;
    documentContainer.clear();
    fileContainer.clear();
    countContainer.clear();
    writeCommands.clear();
}

// Writing ------------------------------------------------------------------

void FileManager::BeginWrite(const std::string& rootName)
{
    writeCommands.clear();
    writeCommands.emplace_back("root", rootName);
}

void FileManager::AddWriteCommand(const std::string& command, const std::string& argument)
{
    writeCommands.emplace_back(command, argument);
}

void FileManager::WriteParent(const std::string& name) { writeCommands.emplace_back("parent", name); }
void FileManager::WriteChild(const std::string& name) { writeCommands.emplace_back("child", name); }
void FileManager::WriteSibling(const std::string& name) { writeCommands.emplace_back("sibling", name); }
void FileManager::WriteValue(const std::string& text) { writeCommands.emplace_back("value", text); }
void FileManager::WriteReturn() { writeCommands.emplace_back("return", "bumvalue"); }

bool FileManager::BuildDocument(XMLDocument& document) const
{
    if (writeCommands.empty()) return false;
    auto it = writeCommands.begin();
    XMLElement* root = document.NewElement(it->second.c_str());
    document.InsertEndChild(root);
    XMLElement* current = nullptr;
    XMLElement* scope = nullptr;
    std::vector<XMLElement*> stack;
    for (++it; it != writeCommands.end(); ++it) {
        const std::string& command = it->first;
        const std::string& argument = it->second;
        if (command == "parent") {
            current = document.NewElement(argument.c_str());
            root->InsertEndChild(current);
        } else if (command == "child") {
            if (!current) {
                QRX_LOG_WARNING("Write command child %s has no element to go under; it goes under the root",
                                argument.c_str());
                current = root;
            }
            XMLElement* element = document.NewElement(argument.c_str());
            current->InsertFirstChild(element);
            scope = current;
            stack.push_back(current);
            current = element;
        } else if (command == "sibling") {
            if (!scope) {
                QRX_LOG_WARNING("Write command sibling %s has no scope; it goes under the root", argument.c_str());
                scope = root;
            }
            current = document.NewElement(argument.c_str());
            scope->InsertEndChild(current);
        } else if (command == "return") {
            if (stack.empty()) continue;
            current = stack.back();
            stack.pop_back();
            scope = stack.empty() ? current : stack.back();
        } else if (command == "value") {
            XMLElement* target = current ? current : root;
            if (!current) QRX_LOG_WARNING("Write command value %s has no element; it goes to the root", argument.c_str());
            target->InsertEndChild(document.NewText(argument.c_str()));
        } else {
            XMLElement* target = current ? current : root;
            target->SetAttribute(command.c_str(), argument.c_str());
        }
    }
    return true;
}

std::string FileManager::RenderCommands() const
{
    XMLDocument document;
    if (!BuildDocument(document)) return std::string();
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

bool FileManager::SaveFile(const std::string& path)
{
    if (writeCommands.empty()) {
        QRX_LOG_ERROR("Nothing to save into %s", path.c_str());
        return false;
    }
    std::string text = RenderCommands();
    std::string target = Platform::ResolvePath(path);
    // Written beside the target first, so a failed write never costs the old file.
    std::string temp = target + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f) {
        QRX_LOG_ERROR("Unable to save file: %s (%s)", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        QRX_LOG_ERROR("Unable to save file: %s (%s)", path.c_str(), std::strerror(errno));
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

// Conversions --------------------------------------------------------------

float FileManager::ConvertToFloat(const std::string& text)
{
    std::istringstream in = ClassicIn(text);
    float v = 0.0f;
    in >> v;
    return v;
}

std::string FileManager::FloatToString(float value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

int FileManager::ConvertToInt(const std::string& text)
{
    std::istringstream in = ClassicIn(text);
    int v = 0;
    in >> v;
    return v;
}

unsigned FileManager::ConvertToUnsigned(const std::string& text)
{
    std::istringstream in = ClassicIn(text);
    unsigned v = 0;
    in >> v;
    return v;
}

std::string FileManager::ConvertToString(const std::string& text)
{
    std::istringstream in = ClassicIn(text);
    std::string word;
    in >> word;
    return word;
}

glm::vec3 FileManager::ConvertToVec3(const std::string& text)
{
    glm::vec3 v(0.0f);
    std::istringstream in = ClassicIn(text);
    in >> v.x;
    if (in.fail()) { v.x = 0.0f; return v; }
    in >> v.y;
    if (in.fail()) { v.y = 0.0f; return v; }
    in >> v.z;
    if (in.fail()) v.z = 0.0f;
    return v;
}

std::string FileManager::Vec3ToString(const glm::vec3& v)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << v.x << " " << v.y << " " << v.z;
    return out.str();
}

} // namespace QRX
