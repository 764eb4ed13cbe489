// Verlo.so carries its own copy of the C++ runtime. When the library is loaded that copy sets
// aside a reserve for exceptions thrown while memory runs out, and unloading does not free it:
// a host that loads and unloads the plug-in (rescans, one load per project) would lose it each
// time. Built only with the static runtime: a shared runtime's reserve belongs to the process.
namespace __gnu_cxx {
void __freeres() noexcept;  // the runtime's release of that reserve; no public header declares it
}

namespace {
// Runs when the library is unloaded (and at exit); no exception can be in flight then.
__attribute__((destructor)) void ReleaseRuntimeReserve() { __gnu_cxx::__freeres(); }
}  // namespace
