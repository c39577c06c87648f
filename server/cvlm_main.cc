// Entry of the console program cvlm.
#include "hosts.h"

int main() { return cvlm::runConsoleHost(); }
