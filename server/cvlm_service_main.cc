// Entry of the service program cvlmService.
#include "hosts.h"

int main() { return cvlm::runServiceHost(); }
