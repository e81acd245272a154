#include <gtest/gtest.h>

#include "engine/platform/SystemInfo.h"

using namespace QRX::Platform;

namespace {

TEST(SystemInfo, OsReleaseValuesLoseQuotesAndEscapes)
{
    auto v = ParseOsRelease("# comment\nNAME=\"Debian GNU/Linux\"\nID=debian\nPRETTY_NAME='Debian 12'\n"
                            "QUOTED=\"say \\\"hi\\\" \\\\ \\$HOME\"\nBROKEN=\"never closed\n=novalue\n\n  VERSION_ID=\"12\"  \n");
    EXPECT_EQ(v["NAME"], "Debian GNU/Linux");
    EXPECT_EQ(v["ID"], "debian");
    EXPECT_EQ(v["PRETTY_NAME"], "Debian 12");
    EXPECT_EQ(v["QUOTED"], "say \"hi\" \\ $HOME");
    EXPECT_EQ(v["VERSION_ID"], "12");
    EXPECT_EQ(v.count("BROKEN"), 0u);
    EXPECT_EQ(v.count(""), 0u);
}

TEST(SystemInfo, MachineNamesGiveArchitectures)
{
    EXPECT_EQ(ArchitectureFromMachine("x86_64"), Architecture::AMD64);
    EXPECT_EQ(ArchitectureFromMachine("i686"), Architecture::X86);
    EXPECT_EQ(ArchitectureFromMachine("aarch64"), Architecture::ARM64);
    EXPECT_EQ(ArchitectureFromMachine("armv7l"), Architecture::ARM);
    EXPECT_EQ(ArchitectureFromMachine("ia64"), Architecture::IA64);
    EXPECT_EQ(ArchitectureFromMachine("riscv64"), Architecture::Unknown);
}

TEST(SystemInfo, ThisMachineIsDescribed)
{
    SystemInformation info;
    ASSERT_TRUE(QuerySystemInformation(&info));
    EXPECT_GT(info.logicalProcessors, 0);
    EXPECT_GT(info.pageSize, 0);
    EXPECT_NE(info.activeProcessorMask, 0u);
    EXPECT_GT(info.minimumApplicationAddress, 0u);
    EXPECT_GT(info.maximumApplicationAddress, info.minimumApplicationAddress);
    EXPECT_FALSE(info.operatingSystem.empty());
    EXPECT_FALSE(info.vendor.empty());
    EXPECT_FALSE(info.build.empty());
}

} // namespace
