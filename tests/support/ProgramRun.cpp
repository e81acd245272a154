#include "support/ProgramRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <dirent.h>
#include <thread>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "support/EngineFixture.h"
#include "support/TestEnv.h"

extern char** environ;

namespace QRX {
namespace TestSupport {

namespace {

const char* const GAME_FOLDER = "/Documents/Orvanta/Zendra/";

} // namespace

Program::Program(const std::string& workingDir, const std::map<std::string, std::string>& env)
{
    m_dir = MakeTempDir("zendra-run");
    m_home = m_dir + "/home";
    ::mkdir(m_home.c_str(), 0755);
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        std::string kv = *e;
        size_t eq = kv.find('=');
        if (eq != std::string::npos) vars[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    vars["HOME"] = m_home;
    vars.erase("XDG_DOCUMENTS_DIR");
    vars.erase("XDG_CONFIG_HOME");
    for (const auto& kv : env) {
        if (kv.second.empty()) vars.erase(kv.first);
        else vars[kv.first] = kv.second;
    }
    std::vector<std::string> strings;
    for (const auto& kv : vars) strings.push_back(kv.first + "=" + kv.second);
    std::vector<char*> envp;
    for (std::string& s : strings) envp.push_back(s.data());
    envp.push_back(nullptr);

    std::string binary = BinaryDir() + "/zendra";
    std::string out = m_dir + "/stdout.txt";
    std::string err = m_dir + "/stderr.txt";
    m_pid = ::fork();
    if (m_pid == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        if (::chdir(workingDir.c_str()) != 0) ::_exit(120);
        char* argv[] = {binary.data(), nullptr};
        ::execve(binary.c_str(), argv, envp.data());
        ::_exit(121);
    }
}

Program::~Program()
{
    if (m_pid > 0 && !m_exited) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    RemoveTree(m_dir);
}

std::string Program::Stdout() const { return ReadFile(m_dir + "/stdout.txt"); }

std::string Program::Stderr() const { return ReadFile(m_dir + "/stderr.txt"); }

std::string Program::Page() const { return ReadFile(GameFilePath("SystemActivity.html")); }

std::string Program::GameFilePath(const std::string& name) const { return m_home + GAME_FOLDER + name; }

bool Program::HasGameFile(const std::string& name) const { return ::access(GameFilePath(name).c_str(), F_OK) == 0; }

bool Program::WaitForOutput(const std::string& text, size_t count)
{
    auto end = std::chrono::steady_clock::now() + PROGRAM_START_DEADLINE;
    while (std::chrono::steady_clock::now() < end) {
        if (Count(Stdout(), text) >= count) return true;
        if (Poll()) return Count(Stdout(), text) >= count;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void Program::Signal(int sig) { ::kill(m_pid, sig); }

int Program::WaitForExitWithin(std::chrono::steady_clock::duration limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (Poll()) return m_code;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -2000;
}

bool Program::Poll()
{
    if (m_exited) return true;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
    m_exited = true;
    m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
    return true;
}

DataCopy::DataCopy(const std::string& configXml)
{
    m_dir = MakeTempDir("zendra-data");
    std::string data = m_dir + "/data";
    ::mkdir(data.c_str(), 0755);
    std::string source = SourceDir() + "/data";
    if (DIR* d = ::opendir(source.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || name == "config") continue;
            if (::symlink((source + "/" + name).c_str(), (data + "/" + name).c_str()) != 0) ADD_FAILURE();
        }
        ::closedir(d);
    }
    ::mkdir((data + "/config").c_str(), 0755);
    WriteFile(data + "/config/config.xml", configXml);
}

DataCopy::~DataCopy() { RemoveTree(m_dir); }

std::vector<unsigned char> ReadScreenshot(const std::string& path)
{
    std::vector<unsigned char> picture;
    FIBITMAP* image = ::access(path.c_str(), R_OK) == 0 ? FreeImage_Load(FIF_PNG, path.c_str()) : nullptr;
    FIBITMAP* rgba = image ? FreeImage_ConvertTo32Bits(image) : nullptr;
    for (unsigned y = 0; rgba && y < FreeImage_GetHeight(rgba); ++y) {
        const BYTE* row = FreeImage_GetScanLine(rgba, static_cast<int>(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(rgba); ++x)
            picture.insert(picture.end(), {row[x * 4 + FI_RGBA_RED], row[x * 4 + FI_RGBA_GREEN],
                                           row[x * 4 + FI_RGBA_BLUE], 255});
    }
    if (rgba) FreeImage_Unload(rgba);
    if (image) FreeImage_Unload(image);
    return picture;
}

void ExpectInOrder(const std::string& text, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t next = text.find(line, at);
        if (next == std::string::npos) {
            ADD_FAILURE() << "missing or out of order: " << line << "\n--- in ---\n" << text;
            return;
        }
        at = next + line.size();
    }
}

} // namespace TestSupport
} // namespace QRX
