#include "accounts/passwords.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <random>
#include <string_view>
#include <sys/random.h>

namespace modvesk {

namespace {

void fillFromSystem(unsigned char* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = getrandom(bytes + done, count - done, 0);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            // A kernel without getrandom: the library's device, backed by the same pool.
            std::random_device device;
            for (; done < count; ++done)
                bytes[done] = static_cast<unsigned char>(device());
        }
    }
}

// The system's random bytes, drawn 4 kB at a time and handed out in the order
// drawn (a pool for each thread): a district's thousands of passwords cost a
// dozen calls, not one each.
void systemRandom(unsigned char* bytes, std::size_t count) {
    thread_local std::array<unsigned char, 4096> pool;
    thread_local std::size_t used = pool.size();
    while (count > 0) {
        if (used == pool.size()) {
            fillFromSystem(pool.data(), pool.size());
            used = 0;
        }
        const std::size_t n = std::min(count, pool.size() - used);
        std::memcpy(bytes, pool.data() + used, n);
        used += n, bytes += n, count -= n;
    }
}

constexpr std::string_view kPasswordLetters =
    "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";

} // namespace

RandomFill staffPasswordRandom = systemRandom;

std::string NewStaffPassword() {
    // A byte below the largest multiple of the alphabet's size picks a letter
    // without bias; the others are drawn again.
    const unsigned limit = 256 - 256 % kPasswordLetters.size();
    std::string password;
    while (password.size() < 8) {
        unsigned char bytes[16];
        staffPasswordRandom(bytes, sizeof bytes);
        for (unsigned char b : bytes)
            if (b < limit && password.size() < 8)
                password += kPasswordLetters[b % kPasswordLetters.size()];
    }
    return password;
}

std::string InitialPassword(const Session& s, bool newAccount, std::string derived) {
    if (!s.win.randomPasswords) return derived;
    return newAccount ? NewStaffPassword() : "";
}

} // namespace modvesk
