// The table of the library's creatable classes: lumex, then the null end.
#pragma once
#include "server/server_module.h"

extern ClassTableEntry ClassTable[];
