#include "accounts/remplit_liste.h"

#include "text/text.h"

namespace modvesk {

std::vector<std::string> remplitListe(const std::string& text) {
    std::vector<std::string> items;
    std::string rest = Trim(text);
    if (rest.empty() || rest == "|") return items;
    while (!rest.empty()) {
        const size_t bar = rest.find('|');
        if (bar == std::string::npos) {
            items.push_back(Trim(rest));
            rest.clear();
        } else {
            items.push_back(Trim(rest.substr(0, bar)));
            rest.erase(0, bar + 1);
        }
    }
    return items;
}

} // namespace modvesk
