// Entry of the service program cvlmService.
#include "server/hosts.h"

int main() { return cvlm::runServiceHost(); }
