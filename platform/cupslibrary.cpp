#include "platform/cupslibrary.h"

#include "platform/logcategories.h"

#include <QDebug>

#include <dlfcn.h>

#include <mutex>

namespace platform::cupslibrary {

namespace {

// The run-time name of the library the headers describe (its ABI has kept this name since 2006).
constexpr char kLibraryName[] = "libcups.so.2";

struct Loaded
{
    Functions functions;
    bool complete = false;
};

const Loaded &loaded()
{
    static Loaded library;
    static std::once_flag once;
    std::call_once(once, [] {
        // Kept for the rest of the process: the library keeps state per thread and per process.
        void *handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            qCDebug(lcPlatform, "print service: %s not loaded (%s)", kLibraryName, dlerror());
            return;
        }
        Functions found;
        bool complete = true;
#define KY_CUPS_RESOLVE(name)                                                                          \
    found.name = reinterpret_cast<decltype(found.name)>(dlsym(handle, #name));                         \
    if (!found.name) {                                                                                 \
        qCDebug(lcPlatform, "print service: %s has no %s", kLibraryName, #name);                      \
        complete = false;                                                                              \
    }
        KY_CUPS_FUNCTIONS(KY_CUPS_RESOLVE)
#undef KY_CUPS_RESOLVE
        if (complete)
            library.functions = found;
        library.complete = complete;
    });
    return library;
}

} // namespace

bool available()
{
    return loaded().complete;
}

const Functions &functions()
{
    return loaded().functions;
}

} // namespace platform::cupslibrary
