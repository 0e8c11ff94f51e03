// Entry of sarnuconf on systems whose command line is UTF-8 already: hands
// the arguments and the standard streams to the commands.
#include <cstdio>

#include "sarnuconf.h"

int main(int argc, char** argv) { return SarnuconfMain(argc, argv, stdout, stderr); }
