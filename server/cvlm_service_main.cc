// Entry of the service program cvlmService.
#include "server/programs.h"

int main() { return cvlm::runServiceProgram(); }
