// The Windows program's terminate handler: it ends the process like the C++ runtime's
// default one, without first printing the exception's demangled type to a standard error
// that a GUI program does not have. Defining it here keeps the runtime's version, and the
// demangler it calls (about 50 KB), out of launcher.exe.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
