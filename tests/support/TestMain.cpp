// Every test program's main: the program's parts go into the engine's seams
// as the game's main puts them, so that tests run the real program's set-up.
#include <gtest/gtest.h>

#include "tools/ProgramParts.h"

int main(int argc, char** argv)
{
    QRX::InstallProgramParts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
