// vcore: the security library from a shell.
#include "common/command.h"

int main(int argc, char** argv)
{
    return runCommand("vcore", argc, argv);
}
