// The sanitizers' settings for the test programs of the sanitizer build.
// ASAN_OPTIONS and UBSAN_OPTIONS in the environment still override them.
//
// Every finding ends the program with a report (no recovering from UB), leaks
// are looked for at exit, and ASan also watches for use of stack memory after
// return and for globals used before they are set up. Its quarantine of freed
// memory is kept to 64 MiB (256 by default): two fuzzers and the test
// programs share a small machine, and a use after free in these programs is
// caught long before 64 MiB have been freed since.

extern "C" const char* __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:"
           "check_initialization_order=1:strict_init_order=1:quarantine_size_mb=64";
}

extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}

// glibc's DNS resolver can lose a small buffer when a name lookup times out
// (a test asks for a name that is nowhere): the system's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__res_context_send\n";
}
