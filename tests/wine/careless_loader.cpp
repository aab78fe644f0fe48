// A program that loads a DLL by bare name with the default search, which looks in the
// program's own directory first: what the planting test must be able to catch.
#include <windows.h>

// Loads the one DLL named on its command line.
int wmain(int argc, wchar_t** argv) { return argc == 2 && LoadLibraryW(argv[1]) != nullptr ? 0 : 1; }
