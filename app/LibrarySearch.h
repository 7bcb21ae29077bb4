#ifndef ENVCHECK_APP_LIBRARYSEARCH_H
#define ENVCHECK_APP_LIBRARYSEARCH_H

// Keeps every later library load, ours and those made on our behalf (COM
// servers, Direct3D's own parts), to the system directory: never the
// program's folder or the current directory. Where kernel32 offers it.
void RestrictLibrarySearch();

#endif
