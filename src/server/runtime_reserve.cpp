#include "server/runtime_reserve.h"

#include <cstddef>  // any header of the C++ library: it tells which library this is

#if defined(__GLIBCXX__)
// libstdc++ keeps its emergency exception pool until the process ends and offers this
// function, which no header declares, to free it.
namespace __gnu_cxx {
void __freeres() noexcept;
}  // namespace __gnu_cxx
#endif

void ReleaseRuntimeReserve() noexcept {
#if defined(__GLIBCXX__)
    __gnu_cxx::__freeres();
#endif
}
