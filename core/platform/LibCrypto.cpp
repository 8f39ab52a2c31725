#include "core/platform/LibCrypto.h"

#include <memory>

#include <dlfcn.h>

namespace platform {

namespace {

std::unique_ptr<LibCrypto> Load()
{
    // Never closed: OpenSSL keeps threads' state and exit handlers that must outlive every call into it.
    void* library = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    auto functions = std::make_unique<LibCrypto>();
    bool complete = true;
#define PARLEY_LIBCRYPTO_RESOLVE(name)                                                                                 \
    functions->name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));                                    \
    complete = complete && functions->name;
    PARLEY_LIBCRYPTO_FUNCTIONS(PARLEY_LIBCRYPTO_RESOLVE)
#undef PARLEY_LIBCRYPTO_RESOLVE
    return complete ? std::move(functions) : nullptr;
}

} // namespace

const LibCrypto* LoadLibCrypto()
{
    static const std::unique_ptr<LibCrypto> functions = Load();
    return functions.get();
}

} // namespace platform
