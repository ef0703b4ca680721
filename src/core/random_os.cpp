// src/core/random_os.cpp: the operating system's secure random bytes that key every generator.
#include "random.hpp"

#if defined(_WIN32)
#include <windows.h>
#include <bcrypt.h>
#elif defined(__linux__)
#include <sys/random.h>

#include <cerrno>
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || \
    defined(__NetBSD__) || defined(__DragonFly__)
#include <stdlib.h>
#else
#error "no secure random source known for this platform"
#endif

namespace tarvo {

#if defined(_WIN32)

namespace {
// ProcessPrng (Windows 10 and later) cannot fail and needs no handle; it lives in
// bcryptprimitives.dll and has no import library, so it is looked up once.
using ProcessPrngFn = BOOL(WINAPI*)(PBYTE, SIZE_T);

ProcessPrngFn find_process_prng() noexcept {
  HMODULE module = LoadLibraryW(L"bcryptprimitives.dll");
  if (module == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<ProcessPrngFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "ProcessPrng")));
}
}  // namespace

bool os_random_key(Key& key) noexcept {
  static const ProcessPrngFn process_prng = find_process_prng();
  if (process_prng != nullptr) {
    return process_prng(key.data(), key.size()) != FALSE;
  }
  return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, key.data(), static_cast<ULONG>(key.size()),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

#elif defined(__linux__)

bool os_random_key(Key& key) noexcept {
  std::size_t filled = 0;
  while (filled < key.size()) {
    // Requests of 32 bytes are not split in practice, but the interface allows short reads,
    // and a signal may interrupt the wait for the pool at early boot.
    const ssize_t got = getrandom(key.data() + filled, key.size() - filled, 0);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    filled += static_cast<std::size_t>(got);
  }
  return true;
}

#else

bool os_random_key(Key& key) noexcept {
  arc4random_buf(key.data(), key.size());  // never fails
  return true;
}

#endif

}  // namespace tarvo
