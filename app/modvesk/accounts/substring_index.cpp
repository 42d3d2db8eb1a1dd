#include "substring_index.h"

namespace modvesk {

SubstringIndex::SubstringIndex() {
    clear();
}

void SubstringIndex::clear() {
    states_.assign(1, State{});
    last_ = 0;
    length_ = 0;
}

void SubstringIndex::append(std::string_view text) {
    for (const char c : text)
        extend(static_cast<unsigned char>(c));
    length_ += text.size();
}

bool SubstringIndex::contains(std::string_view query) const {
    int state = 0;
    for (const char c : query) {
        state = next(state, static_cast<unsigned char>(c));
        if (state < 0) return false;
    }
    return true;
}

int SubstringIndex::next(int state, unsigned char c) const {
    for (const auto& [byte, target] : states_[static_cast<size_t>(state)].next)
        if (byte == c) return target;
    return -1;
}

void SubstringIndex::setNext(int state, unsigned char c, int target) {
    auto& next = states_[static_cast<size_t>(state)].next;
    for (auto& [byte, to] : next)
        if (byte == c) {
            to = target;
            return;
        }
    next.emplace_back(c, target);
}

// The usual online construction: one new state for the new end, and at most one
// clone where an existing state stands for texts of two different lengths.
void SubstringIndex::extend(unsigned char c) {
    const int cur = static_cast<int>(states_.size());
    states_.push_back(State{-1, states_[static_cast<size_t>(last_)].len + 1, {}});
    int p = last_;
    while (p != -1 && next(p, c) == -1) {
        setNext(p, c, cur);
        p = states_[static_cast<size_t>(p)].link;
    }
    if (p == -1) {
        states_[static_cast<size_t>(cur)].link = 0;
    } else {
        const int q = next(p, c);
        if (states_[static_cast<size_t>(p)].len + 1 == states_[static_cast<size_t>(q)].len) {
            states_[static_cast<size_t>(cur)].link = q;
        } else {
            const int clone = static_cast<int>(states_.size());
            State copy = states_[static_cast<size_t>(q)];
            copy.len = states_[static_cast<size_t>(p)].len + 1;
            states_.push_back(std::move(copy));
            while (p != -1 && next(p, c) == q) {
                setNext(p, c, clone);
                p = states_[static_cast<size_t>(p)].link;
            }
            states_[static_cast<size_t>(q)].link = clone;
            states_[static_cast<size_t>(cur)].link = clone;
        }
    }
    last_ = cur;
}

} // namespace modvesk
