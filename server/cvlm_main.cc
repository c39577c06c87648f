// Entry of the console program cvlm.
#include "server/programs.h"

int main() { return cvlm::runConsoleProgram(); }
