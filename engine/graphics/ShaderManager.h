// The shader programs of the renderer, by name.
//
// One record per name, owned here for the whole run. The renderer's shader
// set-up creates each program with CreateProgram, compiles, binds its
// attribute locations and links it; drawing code finds programs with
// GetProgram, which answers null for a name that was never created (callers
// must not draw with it). DeleteAllPrograms releases every program (display
// change, shut-down); RecompileAllShaders releases them and runs the set-up
// again through the engine's door (EngineDoor::rebuildShaders).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace QRX {

class Program;

class ShaderManager
{
public:
    ShaderManager();
    // Deletes the records without GL calls: call DeleteAllPrograms first while
    // the context still exists.
    ~ShaderManager();
    ShaderManager(const ShaderManager&) = delete;
    ShaderManager& operator=(const ShaderManager&) = delete;

    // A new empty program under the name, or the existing one with a warning;
    // null only when no record can be allocated.
    Program* CreateProgram(const std::string& name);
    // The program registered under the name; null when unknown.
    Program* GetProgram(const std::string& name) const;
    // Releases every program and its shaders (needs the context) and forgets
    // every name.
    void DeleteAllPrograms();
    // Releases every program, then builds them again through the door
    // (nothing more when its slot is empty).
    void RecompileAllShaders();

    size_t GetProgramCount() const { return m_programs.size(); }
    // The names of every program, in name order (profiling tools label
    // program objects with them).
    std::vector<std::string> GetProgramNames() const;

private:
    std::map<std::string, std::unique_ptr<Program>> m_programs;
};

} // namespace QRX
