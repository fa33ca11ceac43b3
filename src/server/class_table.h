// The table of the library's creatable classes: lumex, then the null end.
#pragma once
#include "module/server_module.h"

extern ClassTableEntry ClassTable[];
