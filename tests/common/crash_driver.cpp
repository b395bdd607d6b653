// An ODBC driver library that crashes as it is loaded, as a faulty driver does in its first call: the
// read must end with a clear message and leave the program that asked for it running.
#include <csignal>

__attribute__((constructor)) static void crashOnLoad() { std::raise(SIGSEGV); }
