// Cost of the name registry through the exported boundary, as a job uses it:
// 100,000 inserenom, 100,000 present and 100,000 presentancien, timed per
// operation while the stores hold 1,000 entries and while they hold 100,000.
// Inserts append to the store and lookups go through a hash index, so the
// number of steps per operation does not grow with the store.
//
// Lookups are timed twice at each size: with keys drawn at random and with the
// same keys taken in key order, as a job reading a sorted list does. Once the
// store outgrows the processor's caches, a lookup also pays for reading its
// hash slot and its entry from memory, which the number of steps does not show.
#include "clients/vandrel_client.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kEntries = 100000;
constexpr size_t kSmall = 1000;
constexpr size_t kBlock = 1000;    // inserts timed at each size
constexpr size_t kLookups = 25000; // lookups of each kind and order at each size
// Operations are timed in rounds and the fastest round counts, so that other
// processes on the machine (and first touches of fresh memory) matter less.
constexpr size_t kInsertRound = 250;
constexpr size_t kRound = 2500;

struct Costs { // nanoseconds per operation
    double insert = 0;
    double present = 0, presentancien = 0;               // random keys
    double presentOrdered = 0, presentancienOrdered = 0; // the same keys in key order
};

double nanosPerOp(Clock::time_point start, size_t ops) {
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / ops;
}

// Name keys as the builders make them: upper-case surname, blank, first name.
std::vector<std::string> makeKeys(std::mt19937& random) {
    std::vector<std::string> keys;
    keys.reserve(kEntries);
    for (size_t i = 0; i < kEntries; ++i)
        keys.push_back("NOM" + std::to_string(i * 7919 % kEntries) + " PRENOM" +
                       std::to_string(i % 97));
    std::shuffle(keys.begin(), keys.end(), random);
    return keys;
}

void insert(const std::vector<std::string>& keys, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        vandrel::inserenom(keys[i]);
        vandrel::inserenomancien(keys[i], "3A login" + std::to_string(i));
    }
}

double timedInsert(const std::vector<std::string>& keys, size_t from, size_t to) {
    double cost = 1e18;
    for (size_t round = from; round < to; round += kInsertRound) {
        const auto start = Clock::now();
        for (size_t i = round; i < round + kInsertRound; ++i)
            vandrel::inserenom(keys[i]);
        cost = std::min(cost, nanosPerOp(start, kInsertRound));
    }
    for (size_t i = from; i < to; ++i)
        vandrel::inserenomancien(keys[i], "3A login" + std::to_string(i));
    return cost;
}

// Half the lookups find a key among the first `held` ones, half find nothing.
std::vector<std::string> lookupKeys(const std::vector<std::string>& keys, size_t held,
                                    std::mt19937& random) {
    std::uniform_int_distribution<size_t> pick(0, held - 1);
    std::vector<std::string> probes;
    probes.reserve(kLookups);
    for (size_t i = 0; i < kLookups; ++i)
        probes.push_back(i % 2 ? keys[pick(random)] : keys[pick(random)] + "X");
    return probes;
}

template <typename Lookup>
double fastestRound(const std::vector<std::string>& probes, Lookup lookup) {
    double best = 1e18;
    for (size_t from = 0; from < probes.size(); from += kRound) {
        const auto start = Clock::now();
        for (size_t i = from; i < from + kRound; ++i)
            lookup(probes[i]);
        best = std::min(best, nanosPerOp(start, kRound));
    }
    return best;
}

void timeLookups(std::vector<std::string> probes, Costs& costs, long& found) {
    std::string buffer = vandrel::blanks(256);
    const auto present = [&](const std::string& key) { found += vandrel::present(key) != 0; };
    const auto presentancien = [&](const std::string& key) {
        vandrel::presentancien(key, buffer);
        found += buffer[0] != 'n';
    };
    costs.present = fastestRound(probes, present);
    costs.presentancien = fastestRound(probes, presentancien);
    std::sort(probes.begin(), probes.end());
    costs.presentOrdered = fastestRound(probes, present);
    costs.presentancienOrdered = fastestRound(probes, presentancien);
}

} // namespace

int main() {
    if (!vandrel::available()) {
        std::fprintf(stderr, "vandrel1.dlp not found\n");
        return 1;
    }
    std::printf("library: %s\n", vandrel::loadedPath().c_str());
    std::mt19937 random(20240901);
    const std::vector<std::string> keys = makeKeys(random);
    long found = 0;
    vandrel::fermercarnet();
    vandrel::creationCarnet();

    Costs small, large;
    small.insert = timedInsert(keys, 0, kSmall);
    timeLookups(lookupKeys(keys, kSmall, random), small, found);

    insert(keys, kSmall, kEntries - kBlock);
    large.insert = timedInsert(keys, kEntries - kBlock, kEntries);
    timeLookups(lookupKeys(keys, kEntries, random), large, found);
    vandrel::fermercarnet();

    std::printf("%-30s %14s %16s %7s\n", "time per operation", "1,000 entries", "100,000 entries",
                "ratio");
    const auto row = [](const char* name, double a, double b) {
        std::printf("%-30s %11.1f ns %13.1f ns %7.2f\n", name, a, b, b / a);
    };
    row("inserenom (random keys)", small.insert, large.insert);
    row("present (random keys)", small.present, large.present);
    row("presentancien (random keys)", small.presentancien, large.presentancien);
    row("present (keys in order)", small.presentOrdered, large.presentOrdered);
    row("presentancien (keys in order)", small.presentancienOrdered, large.presentancienOrdered);
    std::printf("(%ld lookups found their key)\n", found);
    return 0;
}
