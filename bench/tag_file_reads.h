// What a script's reading of a file through TagFile amounts to, shared by the benchmarks
// that time it: Open, then every property, the title's characters summed so that two
// readers of the same files can be seen to agree.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include "automation/tarvik.h"

using FieldSum = unsigned long long;

FieldSum SumOf(BSTR text);
FieldSum ReadThroughTagFile(ITagFile* tag, BSTR path);
