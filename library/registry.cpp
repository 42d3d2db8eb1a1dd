// The name registry operations: opening and closing the stores, this year's name
// keys, last year's accounts, and the list of pupils who have left.
#include "vandrel1.h"

#include "output_queue.h"
#include "routines.h"
#include "stores.h"
#include "teacher_lines.h"

#include <string>
#include <unordered_set>

namespace vandrel1 {
namespace {

constexpr int32_t kYes = -1;
constexpr int32_t kNo = 0;

// An entry of carnetancien is listed when its value is "group login" with the group
// among the given ones, its key is "surname firstname" and that key has no entry in
// carnet this year. The tests run in this order.
// The groups are looked up in a set: the same answer as appartient on the list,
// without walking the list once per account.
using GroupSet = std::unordered_set<std::string>;

void listeSiSorti(std::string_view k, std::string_view v, const GroupSet& groups) {
  const StringList value = chaine_list(v, " ");
  if (value.size() != 2) return;
  if (!groups.count(value[0])) return;
  if (present_b(bpluscarnet, k)) return;
  const StringList key = chaine_list(k, " ");
  if (key.size() != 2) return;
  ajouteCompteSorti('e', long_concat({key[0], key[1], value[0], value[1]}, ";") + "\n");
}

} // namespace
} // namespace vandrel1

using namespace vandrel1;

extern "C" {

VANDREL_API void VANDREL_CALL creationCarnet(void) {
  guarded([] {
    creatcar(bpluscarnet);
    creatcar(bpluscarnetancien);
    creatcar(bpluscarnetid);
    videLignesProfs();
  });
}

VANDREL_API void VANDREL_CALL fermercarnet(void) {
  guarded([] {
    fermecar(bpluscarnet);
    fermecar(bpluscarnetancien);
    fermecar(bpluscarnetid);
  });
}

VANDREL_API void VANDREL_CALL inserenom(const char* nameKey) {
  guarded([&] { inserenom_b(bpluscarnet, arg(nameKey), {}); });
}

VANDREL_API int32_t VANDREL_CALL present(const char* nameKey) {
  return guarded(kNo, [&] { return present_b(bpluscarnet, arg(nameKey)) ? kYes : kNo; });
}

VANDREL_API int32_t VANDREL_CALL presentID(const char* identifier) {
  return guarded(kNo, [&] { return present_b(bpluscarnetid, arg(identifier)) ? kYes : kNo; });
}

VANDREL_API void VANDREL_CALL inserenomancien(const char* key, const char* value) {
  guarded([&] { inserenom_b(bpluscarnetancien, arg(key), arg(value)); });
}

VANDREL_API void VANDREL_CALL presentancien(const char* key, char* buffer) {
  guarded([&] {
    const auto found = bpluscarnetancien ? bpluscarnetancien->firstValue(arg(key)) : std::nullopt;
    RecouvrePhysique(buffer, found.value_or("n"));
  });
}

VANDREL_API void VANDREL_CALL elevessortis(const char* groupList) {
  guarded([&] {
    videComptesSortis();
    const StringList list = chaine_list(arg(groupList), " ");
    const GroupSet groups(list.begin(), list.end());
    if (bpluscarnet && bpluscarnetancien)
      bpluscarnetancien->walk(
          [&](std::string_view key, std::string_view value) { listeSiSorti(key, value, groups); });
    // The queue is left as it is: the next elevessortis or msjourbasekwartz empties it.
    ecritComptesSortis('e', "comptesAsupprimer.txt");
  });
}

VANDREL_API void VANDREL_CALL raz(void) {}

} // extern "C"
