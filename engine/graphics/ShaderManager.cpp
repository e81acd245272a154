#include "engine/graphics/ShaderManager.h"

#include <new>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/graphics/Program.h"

namespace QRX {

ShaderManager::ShaderManager() = default;

ShaderManager::~ShaderManager() = default;

Program* ShaderManager::CreateProgram(const std::string& name)
{
    if (Program* existing = GetProgram(name)) {
        QRX_LOG_WARNING("ProgramId %s already exists. Returning handle to the already existing program instead.",
                        name.c_str());
        return existing;
    }
    std::unique_ptr<Program> program(new (std::nothrow) Program());
    if (!program) {
        QRX_LOG_ERROR("Unable to allocate resource for a new program, returning 0.");
        return nullptr;
    }
    auto inserted = m_programs.emplace(name, std::move(program));
    if (!inserted.second) {
        QRX_LOG_ERROR("Program already loaded before. Duplicate programId found - %s. This message should never "
                      "even have appear!",
                      inserted.first->first.c_str());
    }
    return inserted.first->second.get();
}

std::vector<std::string> ShaderManager::GetProgramNames() const
{
    std::vector<std::string> names;
    names.reserve(m_programs.size());
    for (const auto& entry : m_programs) names.push_back(entry.first);
    return names;
}

Program* ShaderManager::GetProgram(const std::string& name) const
{
    if (m_programs.empty()) return nullptr;
    auto it = m_programs.find(name);
    return it == m_programs.end() ? nullptr : it->second.get();
}

void ShaderManager::DeleteAllPrograms()
{
    for (auto& entry : m_programs) {
        if (!entry.second) continue;
        glUseProgram(0);
        entry.second->Release();
    }
    m_programs.clear();
}

void ShaderManager::RecompileAllShaders()
{
    QRX_LOG_INFO("Recompiling all shaders processes initiated.");
    DeleteAllPrograms();
    if (Door().rebuildShaders) Door().rebuildShaders();
}

} // namespace QRX
