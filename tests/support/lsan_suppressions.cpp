// Leaks inside system libraries that the program cannot free; read by the
// leak checker of sanitizer builds, ignored otherwise. Qt keeps the collator
// of locale-aware comparisons in a thread-local cache it never frees; the
// accessibility cache's guards and the touch-point data a synthesized mouse
// click leaves with the pointing device are dropped at exit without being
// freed.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:QCollator::defaultCompare\n"
         "leak:QAccessibleObject::QAccessibleObject\n"
         "leak:QSinglePointEvent::QSinglePointEvent\n"
         "leak:QEventPoint::QEventPoint\n";
}

// Leaks are matched by the functions on their allocation stack, which the
// fast unwinder loses inside Qt's libraries (built without frame pointers).
// The full unwinder makes sanitizer runs several times slower; set
// ASAN_OPTIONS=fast_unwind_on_malloc=1 for a quicker run that may report
// those leaks.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
