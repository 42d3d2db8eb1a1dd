// Filling a list from a "|"-separated answer of the library or the component.
#pragma once

#include <string>
#include <vector>

namespace modvesk {

// The items of a list filled from `text`: the text is trimmed; unless it is then
// empty or a lone "|", each part before a "|" (the whole rest when there is none)
// becomes one item, trimmed, and the text goes on after that "|" until nothing is
// left. So "a||b" gives a, "", b and a closing "|" adds no empty item.
std::vector<std::string> remplitListe(const std::string& text);

} // namespace modvesk
