// Leaks inside system libraries that the program cannot free; read by the
// leak checker of sanitizer builds, ignored otherwise. Qt keeps the collator
// of locale-aware comparisons in a thread-local cache it never frees.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:QCollator::defaultCompare\n";
}
