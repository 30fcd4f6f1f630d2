// Leaks inside system libraries that the program cannot free; read by the
// leak checker of sanitizer builds, ignored otherwise.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
