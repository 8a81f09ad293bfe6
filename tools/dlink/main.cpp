// dlink: the directory library's schema tables and DN functions from a shell.
#include "common/command.h"

int main(int argc, char** argv)
{
    return runCommand("dlink", argc, argv);
}
