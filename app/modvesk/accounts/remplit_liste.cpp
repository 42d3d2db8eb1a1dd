#include "accounts/remplit_liste.h"

#include "text/text.h"

#include <algorithm>

namespace modvesk {

std::vector<std::string> remplitListe(const std::string& text) {
    std::vector<std::string> items;
    const std::string rest = Trim(text);
    if (rest.empty() || rest == "|") return items;
    // Each part is cut where it lies: the text is never moved part by part.
    for (size_t from = 0; from < rest.size();) {
        const size_t bar = std::min(rest.find('|', from), rest.size());
        items.push_back(Trim(rest.substr(from, bar - from)));
        from = bar + 1;
    }
    return items;
}

} // namespace modvesk
