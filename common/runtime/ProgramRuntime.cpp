// What the shipped programs replace of the C++ runtime to stay small. The library's own
// terminate handler prints the pending exception's type name, and for that links the whole
// name demangler; the programs have no console to print to, so theirs just aborts, as the
// library's does after printing.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
