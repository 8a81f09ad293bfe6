// dlink: the directory library from a shell: schema tables, DN functions,
// search filters, and the data of a directory server (search, add, modify,
// delete, moddn, compare, whoami).
#include "common/command.h"

int main(int argc, char** argv)
{
    return runCommand("dlink", argc, argv);
}
