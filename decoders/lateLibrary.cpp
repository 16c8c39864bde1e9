#include "decoders/lateLibrary.h"

#include <dlfcn.h>

lateLibrary_t::lateLibrary_t(const char *soname) : handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL))
{
    if (handle == nullptr) {
        const char *why = dlerror();
        missing = why != nullptr ? why : soname;
    }
}

void *lateLibrary_t::Symbol(const char *name) const { return handle != nullptr ? dlsym(handle, name) : nullptr; }
