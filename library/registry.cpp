// The name registry operations: opening and closing the stores, this year's name
// keys, last year's accounts, and the list of pupils who have left.
#include "vandrel1.h"

#include "key_index.h"
#include "output_queue.h"
#include "routines.h"
#include "stores.h"
#include "teacher_lines.h"

#include <cstring>
#include <string>

namespace vandrel1 {
namespace {

constexpr int32_t kYes = -1;
constexpr int32_t kNo = 0;

// An entry of carnetancien is listed when its value is "group login" with the group
// among the given ones, its key is "surname firstname" and that key has no entry in
// carnet this year. The tests run in this order.
// The groups are looked up in a hash index over the list: the same answer as
// appartient on the list, without walking the list once per account. The texts are
// cut in place (chaine_list at one blank giving two parts is exactly one blank), as
// this runs once per entry.
class GroupSet {
  public:
    explicit GroupSet(const StringList& groups) : groups_(groups) {
        for (uint32_t i = 0; i < groups_.size(); ++i) {
            index_.reserveOne();
            index_.addFirst(groups_[i], KeyIndex::hashOf(groups_[i]), i, nameOf());
        }
    }
    bool holds(std::string_view group) const {
        return index_.find(group, KeyIndex::hashOf(group), nameOf()) != KeyIndex::kNone;
    }

  private:
    struct NameOf {
        const StringList& groups;
        std::string_view operator()(uint32_t i) const { return groups[i]; }
    };
    NameOf nameOf() const { return {groups_}; }
    const StringList& groups_;
    KeyIndex index_;
};

// The two parts of a text with exactly one blank.
bool twoParts(std::string_view text, std::string_view& first, std::string_view& second) {
    if (text.empty()) return false;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto* const blank = static_cast<const char*>(std::memchr(begin, ' ', text.size()));
    if (!blank || std::memchr(blank + 1, ' ', static_cast<size_t>(end - blank - 1))) return false;
    first = std::string_view(begin, static_cast<size_t>(blank - begin));
    second = std::string_view(blank + 1, static_cast<size_t>(end - blank - 1));
    return true;
}

// The tests of listing, in their order.
bool estSorti(std::string_view k, std::string_view v, const GroupSet& groups) {
    std::string_view group, login, surname, firstName;
    return twoParts(v, group, login) && groups.holds(group) && !present_b(bpluscarnet, k) &&
           twoParts(k, surname, firstName);
}

// Appends the listed entry's line "surname;first name;group;login": the key and
// the value, each with its one blank turned into ';'.
void listeSorti(std::string& lines, std::string_view k, std::string_view v) {
    const size_t at = lines.size();
    lines.append(k).append(1, ';').append(v).append(1, '\n');
    lines[at + k.find(' ')] = ';';
    lines[at + k.size() + 1 + v.find(' ')] = ';';
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
    return guarded(kNo, [&] {
        const std::string_view key = arg(nameKey);
        const uint32_t hash = Store::hashOf(key);
        // During an update, a name free this year is asked next of last year's
        // accounts: that lookup's first read is started now, and overlaps this one.
        if (bpluscarnetancien && bpluscarnetancien->size() != 0) bpluscarnetancien->prefetch(hash);
        return bpluscarnet && bpluscarnet->firstValue(key, hash) ? kYes : kNo;
    });
}

VANDREL_API int32_t VANDREL_CALL presentID(const char* identifier) {
    return guarded(kNo, [&] { return present_b(bpluscarnetid, arg(identifier)) ? kYes : kNo; });
}

VANDREL_API void VANDREL_CALL inserenomancien(const char* key, const char* value) {
    guarded([&] { inserenom_b(bpluscarnetancien, arg(key), arg(value)); });
}

VANDREL_API void VANDREL_CALL presentancien(const char* key, char* buffer) {
    guarded([&] {
        const auto found =
            bpluscarnetancien ? bpluscarnetancien->firstValue(arg(key)) : std::nullopt;
        RecouvrePhysique(buffer, found.value_or("n"));
    });
}

VANDREL_API void VANDREL_CALL elevessortis(const char* groupList) {
    guarded([&] {
        videComptesSortis();
        const StringList list = chaine_list(arg(groupList), " ");
        const GroupSet groups(list);
        std::string lines; // queued as one record: the file is the records' texts end to end
        if (bpluscarnet && bpluscarnetancien)
            // Only the listed entries are put in key order.
            bpluscarnetancien->walkSelected(
                [&](std::string_view key, std::string_view value) {
                    return estSorti(key, value, groups);
                },
                [&](std::string_view key, std::string_view value) {
                    listeSorti(lines, key, value);
                });
        if (!lines.empty()) ajouteCompteSorti('e', std::move(lines));
        // The queue is left as it is: the next elevessortis or msjourbasekwartz empties it.
        ecritComptesSortis('e', "comptesAsupprimer.txt");
    });
}

VANDREL_API void VANDREL_CALL raz(void) {}

} // extern "C"
