// Linked into the test programs of the sanitizer build only (-DORVALIS_SANITIZE=ON). The
// sanitizers read these defaults before main(); ASAN_OPTIONS and UBSAN_OPTIONS still
// override them for one run.
//
// Leaks are not checked: fontconfig and Qt keep caches to the end of the process and
// would bury a real report. Every undefined-behaviour finding stops the test with its stack.

extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0:abort_on_error=1";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
