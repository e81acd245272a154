// What the machine is: processor, memory layout and operating system.
//
// The fields keep the meanings of the Windows system description the log
// shows (architecture and processor numbers as Windows numbers them), filled
// from sysconf, uname, the os-release file and this process's CPU affinity.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace QRX {
namespace Platform {

enum class Architecture { X86, AMD64, IA64, ARM, ARM64, Unknown };

struct SystemInformation
{
    // Hardware.
    unsigned oemId = 0xFFFF;  // the architecture's number: 0 x86, 5 ARM, 6 IA-64, 9 AMD64, 12 ARM64
    long logicalProcessors = 0;
    long pageSize = 0;
    unsigned processorType = 0;  // 586 x86, 2200 IA-64, 8664 AMD64, 0 others
    std::uintptr_t minimumApplicationAddress = 0;
    std::uintptr_t maximumApplicationAddress = 0;
    std::uint64_t activeProcessorMask = 0;  // CPUs 0..63 this process may run on
    // Software.
    Architecture architecture = Architecture::Unknown;  // of the machine, not of this process
    bool process32Bit = false;
    std::string vendor;           // os-release NAME, else the kernel's name
    std::string operatingSystem;  // kernel name and release
    std::string edition;          // os-release PRETTY_NAME
    std::string versionId;        // os-release VERSION_ID
    std::string build;            // the kernel's build string
};

// Fills the description. The hardware part is always filled; false when the
// operating system cannot be identified (the software part is then empty).
bool QuerySystemInformation(SystemInformation* info);

// The architecture of a machine name as uname gives it ("x86_64", "aarch64").
Architecture ArchitectureFromMachine(const std::string& machine);

// The KEY=value pairs of an os-release text; quotes and escapes removed,
// comments and malformed lines skipped.
std::map<std::string, std::string> ParseOsRelease(const std::string& text);

} // namespace Platform
} // namespace QRX
