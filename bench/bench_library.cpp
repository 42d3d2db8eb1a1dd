// Cost of the name registry through the exported boundary, as a job uses it:
// 100,000 inserenom, 100,000 present and 100,000 presentancien, timed per
// operation while the stores hold 1,000 entries and while they hold 100,000.
// Lookups and inserts go through a balanced index, so the cost per operation at
// 100,000 entries should stay under twice the cost at 1,000.
#include "vandrel_client.h"

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
constexpr size_t kBlock = 1000;      // inserts timed at each size
constexpr size_t kLookups = 50000;   // lookups of each kind at each size

struct Costs {
  double insert = 0, present = 0, presentancien = 0; // nanoseconds per operation
};

double nanosPerOp(Clock::time_point start, size_t ops) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / ops;
}

// Name keys as the builders make them: upper-case surname, blank, first name.
std::vector<std::string> makeKeys(std::mt19937& random) {
  std::vector<std::string> keys;
  keys.reserve(kEntries);
  for (size_t i = 0; i < kEntries; ++i)
    keys.push_back("NOM" + std::to_string(i * 7919 % kEntries) + " PRENOM" + std::to_string(i % 97));
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
  const auto start = Clock::now();
  for (size_t i = from; i < to; ++i) vandrel::inserenom(keys[i]);
  const double cost = nanosPerOp(start, to - from);
  for (size_t i = from; i < to; ++i) vandrel::inserenomancien(keys[i], "3A login" + std::to_string(i));
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

void timeLookups(const std::vector<std::string>& probes, Costs& costs, long& found) {
  auto start = Clock::now();
  for (const std::string& key : probes) found += vandrel::present(key) != 0;
  costs.present = nanosPerOp(start, probes.size());
  std::string buffer = vandrel::blanks(256);
  start = Clock::now();
  for (const std::string& key : probes) {
    vandrel::presentancien(key, buffer);
    found += buffer[0] != 'n';
  }
  costs.presentancien = nanosPerOp(start, probes.size());
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

  std::printf("%-14s %14s %14s %8s\n", "operation", "1,000 entries", "100,000 entries", "ratio");
  const auto row = [](const char* name, double a, double b) {
    std::printf("%-14s %11.1f ns %12.1f ns %8.2f\n", name, a, b, b / a);
  };
  row("inserenom", small.insert, large.insert);
  row("present", small.present, large.present);
  row("presentancien", small.presentancien, large.presentancien);
  std::printf("(%ld lookups found their key)\n", found);
  return 0;
}
