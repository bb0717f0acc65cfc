// SPDX-License-Identifier: GPL-2.0-or-later
// Preloaded (LD_PRELOAD) into a program under test: a look-up of a name that ends in
// ".slow.test" takes ZORVANE_SLOW_LOOKUP_SECONDS (30 when unset) and then fails, as with a
// name server that never answers. Such a name never reaches a name server; every other
// look-up goes to the system's resolver.

#include <dlfcn.h>
#include <netdb.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
  constexpr const char* kSlow = ".slow.test";
  const std::size_t length = node ? std::strlen(node) : 0;
  if (length >= std::strlen(kSlow) && std::strcmp(node + length - std::strlen(kSlow), kSlow) == 0) {
    const char* seconds = std::getenv("ZORVANE_SLOW_LOOKUP_SECONDS");
    sleep(seconds ? unsigned(std::atoi(seconds)) : 30u);
    return EAI_NONAME;
  }
  using TGetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const auto system = reinterpret_cast<TGetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
  return system(node, service, hints, result);
}
