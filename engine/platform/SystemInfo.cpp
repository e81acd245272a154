#include "engine/platform/SystemInfo.h"

#include <sched.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace QRX {
namespace Platform {

namespace {

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

unsigned ArchitectureNumber(Architecture a)
{
    switch (a) {
    case Architecture::X86: return 0;
    case Architecture::ARM: return 5;
    case Architecture::IA64: return 6;
    case Architecture::AMD64: return 9;
    case Architecture::ARM64: return 12;
    default: return 0xFFFF;
    }
}

unsigned ProcessorTypeOf(Architecture a)
{
    switch (a) {
    case Architecture::X86: return 586;
    case Architecture::IA64: return 2200;
    case Architecture::AMD64: return 8664;
    default: return 0;
    }
}

std::uintptr_t HighestUserAddress(Architecture a)
{
    if (sizeof(void*) == 4) return static_cast<std::uintptr_t>(0xBFFFFFFFu);
    // The top of the user address space, less the guard page on x86-64.
    if (a == Architecture::AMD64) return static_cast<std::uintptr_t>(0x7FFFFFFFEFFFull);
    if (a == Architecture::ARM64) return static_cast<std::uintptr_t>(0xFFFFFFFFFFFFull);
    return static_cast<std::uintptr_t>(0x7FFFFFFFFFFFull);
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

} // namespace

Architecture ArchitectureFromMachine(const std::string& m)
{
    if (m == "x86_64" || m == "amd64") return Architecture::AMD64;
    if (m == "i386" || m == "i486" || m == "i586" || m == "i686" || m == "x86") return Architecture::X86;
    if (m == "ia64") return Architecture::IA64;
    if (m == "aarch64" || m == "arm64" || m == "aarch64_be") return Architecture::ARM64;
    if (m.compare(0, 3, "arm") == 0) return Architecture::ARM;
    return Architecture::Unknown;
}

std::map<std::string, std::string> ParseOsRelease(const std::string& text)
{
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        std::string key = line.substr(0, eq);
        std::string raw = line.substr(eq + 1);
        std::string value;
        if (!raw.empty() && (raw[0] == '"' || raw[0] == '\'')) {
            const char quote = raw[0];
            size_t i = 1;
            bool closed = false;
            for (; i < raw.size(); ++i) {
                char c = raw[i];
                if (c == quote) { closed = true; break; }
                if (quote == '"' && c == '\\' && i + 1 < raw.size()) c = raw[++i];
                value += c;
            }
            if (!closed) continue;
        } else {
            value = raw;
        }
        values[key] = value;
    }
    return values;
}

bool QuerySystemInformation(SystemInformation* info)
{
    if (!info) return false;
    *info = SystemInformation();
    struct utsname names {};
    const bool named = ::uname(&names) == 0;
    const Architecture arch = named ? ArchitectureFromMachine(names.machine) : Architecture::Unknown;

    info->oemId = ArchitectureNumber(arch);
    info->processorType = ProcessorTypeOf(arch);
    info->logicalProcessors = ::sysconf(_SC_NPROCESSORS_ONLN);
    info->pageSize = ::sysconf(_SC_PAGESIZE);
    std::istringstream minAddress(ReadWholeFile("/proc/sys/vm/mmap_min_addr"));
    unsigned long long lowest = 0;
    if (!(minAddress >> lowest) || lowest == 0) lowest = static_cast<unsigned long long>(info->pageSize);
    info->minimumApplicationAddress = static_cast<std::uintptr_t>(lowest);
    info->maximumApplicationAddress = HighestUserAddress(arch);
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int cpu = 0; cpu < 64; ++cpu)
            if (CPU_ISSET(cpu, &set)) info->activeProcessorMask |= std::uint64_t(1) << cpu;
    }

    if (!named) return false;
    info->architecture = arch;
    info->process32Bit = sizeof(void*) == 4;
    std::string release = ReadWholeFile("/etc/os-release");
    if (release.empty()) release = ReadWholeFile("/usr/lib/os-release");
    std::map<std::string, std::string> os = ParseOsRelease(release);
    info->vendor = os.count("NAME") ? os["NAME"] : std::string(names.sysname);
    info->operatingSystem = std::string(names.sysname) + " " + names.release;
    info->edition = os.count("PRETTY_NAME") ? os["PRETTY_NAME"] : std::string();
    info->versionId = os.count("VERSION_ID") ? os["VERSION_ID"] : std::string();
    info->build = names.version;
    return true;
}

} // namespace Platform
} // namespace QRX
