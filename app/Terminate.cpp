// The handler std::terminate calls in Setup.exe and Uninst.exe.
//
// libstdc++'s default handler prints the type of an uncaught exception, demangled, to stderr.
// Both are GUI programs: they have no console, so the text is never seen, yet the handler
// brings the demangler and a formatted-output library into the file (about 60 KB). This
// definition takes its place at link time and ends the process the same way, without the text.
// Their Main catches every exception, so it is reached only when the runtime itself gives up (an
// exception escaping a destructor or a thread).
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx
