// Answers "does this text occur in the text so far?" for a text that only grows
// at its end, in time proportional to the question, whatever the text's length
// (a suffix automaton). The class lists of the jobs are searched this way: a
// plain search of the whole list for every new class costs the square of the
// number of classes.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace modvesk {

class SubstringIndex {
  public:
    SubstringIndex();
    void clear();
    // Appends the bytes to the text.
    void append(std::string_view text);
    // True when `query` occurs in the text (the empty query always does).
    bool contains(std::string_view query) const;
    size_t length() const { return length_; }

  private:
    struct State {
        int link = -1;  // the state of the longest suffix that lives elsewhere
        size_t len = 0; // the longest text that ends in this state
        std::vector<std::pair<unsigned char, int>> next;
    };
    int next(int state, unsigned char c) const;
    void setNext(int state, unsigned char c, int target);
    void extend(unsigned char c);

    std::vector<State> states_;
    int last_ = 0;
    size_t length_ = 0;
};

} // namespace modvesk
