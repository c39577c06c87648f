// OC25.DLL double: nothing but its load (and the loader's record of its free).
#include "double_support.h"

MERL_DOUBLE_DLLMAIN("oc25")
