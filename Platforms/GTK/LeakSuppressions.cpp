// Leaks the leak checker of sanitizer builds should not report: fontconfig's caches, which GTK's text
// layout fills once per process and fontconfig never frees. Unused in other builds.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
