// The game: the game's and the tools' parts go into the engine, which runs.
#include "engine/core/Main.h"
#include "tools/ProgramParts.h"

int main()
{
    QRX::InstallProgramParts();
    return WinMain();
}
