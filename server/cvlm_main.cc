// Entry of the console program cvlm.
#include "server/hosts.h"

int main() { return cvlm::runConsoleHost(); }
