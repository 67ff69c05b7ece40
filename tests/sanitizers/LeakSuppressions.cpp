// Linked into every test program of the AddressSanitizer build: leaks of system libraries that
// are not ours, so LeakSanitizer reports only our own.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    // fontconfig keeps its pattern caches until FcFini, which cairo never calls.
    return "leak:libfontconfig.so\n";
}
