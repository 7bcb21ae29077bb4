// The diagnostic provider's identifiers are defined by its header only; no
// import library carries them, so they are instantiated here, once.
#include <initguid.h>

#include <dxdiag.h>
