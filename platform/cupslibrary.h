#pragma once

#include <cups/cups.h>

#include <utility>

// The print service's client library, loaded when the first question is put to it rather than
// when the program starts: the library and what it brings with it (TLS, Kerberos, service
// discovery) take about as long to load and set up as the widget libraries do (some 25 ms), and
// most sessions never print. The functions below have the library's own names and
// signatures; call them only after available() has said yes.
namespace platform::cupslibrary {

// Loads the library on first use (any thread); false when it is missing or lacks a function.
bool available();

#define KY_CUPS_FUNCTIONS(X)                                                                           \
    X(cupsDoRequest) X(cupsEncryption) X(cupsFreeDests) X(cupsGetDests2) X(cupsGetNamedDest)        \
    X(cupsGetOption) X(cupsLastError) X(cupsLastErrorString) X(cupsServer) X(cupsSetPasswordCB2)    \
    X(cupsSetServer) X(cupsUser) X(httpAssembleURIf) X(httpClose) X(httpConnect2) X(httpSetTimeout) \
    X(ippAddString) X(ippAddStrings) X(ippDelete) X(ippFirstAttribute) X(ippGetCount)               \
    X(ippGetGroupTag) X(ippGetInteger) X(ippGetName) X(ippGetString) X(ippNewRequest)               \
    X(ippNextAttribute) X(ippPort)

struct Functions
{
#define KY_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    KY_CUPS_FUNCTIONS(KY_CUPS_POINTER)
#undef KY_CUPS_POINTER
};

// The loaded library's functions (all null when it is not available).
const Functions &functions();

#define KY_CUPS_FORWARD(name)                                                                          \
    template <typename... Args>                                                                        \
    inline auto name(Args &&...args)                                                                   \
    {                                                                                                  \
        return functions().name(std::forward<Args>(args)...);                                          \
    }
KY_CUPS_FUNCTIONS(KY_CUPS_FORWARD)
#undef KY_CUPS_FORWARD

} // namespace platform::cupslibrary
