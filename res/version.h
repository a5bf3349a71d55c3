// The program's version as text for the resource scripts. The build defines the four numbers
// (TRELVISTA_VERSION_MAJOR, _MINOR, _PATCH, _TWEAK) from the CMake project's version, so the
// version resource, the product line and the installer all say the same.
#ifndef TRELVISTA_VERSION_H
#define TRELVISTA_VERSION_H

#ifndef TRELVISTA_VERSION_TWEAK
#error "The build defines TRELVISTA_VERSION_MAJOR, _MINOR, _PATCH and _TWEAK"
#endif

#define TRELVISTA_TEXT_OF(x) #x
#define TRELVISTA_TEXT(x) TRELVISTA_TEXT_OF(x)
#define TRELVISTA_VERSION_TEXT                                                       \
    TRELVISTA_TEXT(TRELVISTA_VERSION_MAJOR) "." TRELVISTA_TEXT(TRELVISTA_VERSION_MINOR) \
    "." TRELVISTA_TEXT(TRELVISTA_VERSION_PATCH) "." TRELVISTA_TEXT(TRELVISTA_VERSION_TWEAK)

#endif
