/* The unsafe way to load a library, on purpose: each name given, by its bare
   name, so that the search starts in this program's own folder. It shows that
   a planted library there would be found. */
#include <windows.h>

int main(int argc, char** argv)
{
    int i;
    for (i = 1; i < argc; ++i) {
        HMODULE library = LoadLibraryA(argv[i]);
        if (library != NULL) FreeLibrary(library);
    }
    return 0;
}
