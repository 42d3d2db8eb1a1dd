// The exported operations of vandrel1.dlp in random sequences. The input is read
// as operations, each an operation byte followed by its strings (a length byte,
// then the bytes; NUL bytes become 0x01) and, for operations that answer in a
// buffer, the buffer's length. Every buffer is allocated to exactly its length
// plus the terminator, so that a byte written past it is an AddressSanitizer
// report, and is checked against the fill contract: an answer shorter than the
// buffer overwrites its start, a longer one only blanks the first character, the
// rest and the terminator stay. The stores and tableau1 are checked against a
// plain model: keys cut to 52 characters, the first inserted value found first,
// an absent store storing and finding nothing.
#include "vandrel1.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string text() {
        const size_t n = std::min<size_t>(byte(), size_ - at_);
        std::string t(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        for (char& c : t)
            if (c == '\0') c = '\x01';
        return t;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A caller's buffer of n characters (filled with `fill`), allocated to n + 1 bytes.
struct Buffer {
    explicit Buffer(size_t n, char fill) : size(n), bytes(static_cast<char*>(std::malloc(n + 1))) {
        std::memset(bytes, fill, n);
        bytes[n] = '\0';
        before.assign(bytes, n);
    }
    ~Buffer() { std::free(bytes); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    std::string now() const { return std::string(bytes, size); }
    // The buffer as the fill contract leaves it after the answer.
    std::string expected(const std::string& answer) const {
        if (size == 0) return before;
        if (answer.size() < size) return answer + before.substr(answer.size());
        return " " + before.substr(1);
    }
    // Checks the parts of the contract that hold whatever the answer was.
    void checkShape() const {
        if (bytes[size] != '\0') fail("the terminator of a buffer was overwritten");
        if (now() == before) return;
        if (size > 0 && bytes[0] == ' ' && now().substr(1) == before.substr(1)) return;
        // A shorter answer: the bytes after it are those of before.
        size_t changed = size;
        while (changed > 0 && bytes[changed - 1] == before[changed - 1])
            --changed;
        if (changed >= size) fail("an answer filled the whole buffer");
    }

    size_t size;
    char* bytes;
    std::string before;
};

struct Model {
    bool carnetOpen = false, ancienOpen = false, idOpen = false;
    std::vector<std::string> carnet, ids;
    std::vector<std::pair<std::string, std::string>> ancien;
};

std::string cut(const std::string& key) {
    return key.substr(0, 52);
}

bool holds(const std::vector<std::string>& keys, const std::string& key) {
    for (const auto& k : keys)
        if (cut(k) == cut(key)) return true;
    return false;
}

// tableau1 lives as long as the process: so does its model.
std::map<std::string, int32_t> tableau;

void runOne(Input& in, Model& m) {
    const uint8_t op = in.byte() % 20;
    switch (op) {
    case 0:
        creationCarnet();
        m.carnetOpen = m.ancienOpen = m.idOpen = true;
        break;
    case 1:
        fermercarnet();
        m = Model{};
        break;
    case 2: {
        const std::string k = in.text();
        inserenom(k.c_str());
        if (m.carnetOpen) m.carnet.push_back(k);
        break;
    }
    case 3: {
        const std::string k = in.text();
        if ((present(k.c_str()) == -1) != (m.carnetOpen && holds(m.carnet, k)))
            fail("present disagrees with the model");
        break;
    }
    case 4: {
        const std::string k = in.text(), v = in.text();
        inserenomancien(k.c_str(), v.c_str());
        if (m.ancienOpen) m.ancien.emplace_back(k, v);
        break;
    }
    case 5: {
        const std::string k = in.text();
        Buffer b(in.byte(), static_cast<char>('A' + in.byte() % 26));
        presentancien(k.c_str(), b.bytes);
        std::string answer = "n";
        for (const auto& [key, value] : m.ancien)
            if (cut(key) == cut(k)) {
                answer = value;
                break;
            }
        if (b.now() != b.expected(answer)) fail("presentancien breaks the fill contract");
        if (b.bytes[b.size] != '\0') fail("presentancien wrote past the buffer");
        break;
    }
    case 6: {
        const std::string k = in.text();
        memoriseProfEnService(k.c_str());
        if (m.idOpen) m.ids.push_back(k);
        break;
    }
    case 7: {
        const std::string k = in.text();
        if ((presentID(k.c_str()) == -1) != (m.idOpen && holds(m.ids, k)))
            fail("presentID disagrees with the model");
        break;
    }
    case 8:
        razProfEnService();
        m.idOpen = true;
        m.ids.clear();
        break;
    case 9: {
        const std::string k = in.text();
        const int32_t known = tableau.count(k) ? tableau[k] : -1;
        const int32_t index = inseredstableau(k.c_str());
        if (known != -1 && index != known) fail("inseredstableau changed an index");
        if (known == -1 && index != static_cast<int32_t>(tableau.size()) + 2)
            fail("inseredstableau gave a new string a wrong index");
        tableau[k] = index;
        break;
    }
    case 10: {
        const std::string k = in.text();
        if (indexdstableau(k.c_str()) != (tableau.count(k) ? tableau[k] : -1))
            fail("indexdstableau disagrees with the model");
        break;
    }
    case 11: {
        const std::string a = in.text(), b = in.text();
        associecodegroupe(a.c_str(), b.c_str());
        break;
    }
    case 12: {
        const std::string a = in.text(), t = in.text();
        const char* kinds[] = {"G", "D", "X", ""};
        associeProfsGroupes(a.c_str(), kinds[in.byte() % 4], t.c_str());
        break;
    }
    case 13: {
        const std::string t = in.text();
        Buffer b(in.byte(), 'Q');
        genereGroupes(t.c_str(), b.bytes);
        b.checkShape();
        break;
    }
    case 14: {
        const std::string line = in.text();
        memligneprof(line.c_str());
        break;
    }
    case 15: {
        Buffer b(in.byte() * 4, 'Z');
        if (in.byte() & 1)
            tableauProfs(b.bytes);
        else
            tableauGroupes(b.bytes);
        b.checkShape();
        break;
    }
    case 16: {
        const std::string n = in.text(), p = in.text();
        Buffer b(in.byte(), 'W');
        retrouveDonneesProf(n.c_str(), p.c_str(), b.bytes);
        b.checkShape();
        break;
    }
    case 17: {
        const int32_t mode = static_cast<int32_t>(in.byte() % 4) - 1;
        const std::string n = in.text(), p = in.text(), v = in.text();
        msjourbaseresp(mode, n.c_str(), p.c_str(), v.c_str());
        break;
    }
    case 18:
        msjourbasekwartz(static_cast<int32_t>(in.byte() % 4) - 1);
        break;
    default: {
        const std::string groups = in.text();
        elevessortis(groups.c_str());
        raz();
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // elevessortis and msjourbasekwartz write their files into the current folder.
    std::string tmpl =
        (std::filesystem::temp_directory_path() / "rolvane-fuzz-lib-XXXXXX").string();
    if (!mkdtemp(tmpl.data()) || chdir(tmpl.c_str()) != 0) std::abort();
    static const std::string keep = tmpl;
    std::atexit([] {
        std::error_code e;
        std::filesystem::remove_all(keep, e);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fermercarnet();
    Model m;
    Input in(data, size);
    for (int ops = 0; !in.empty() && ops < 400; ++ops)
        runOne(in, m);
    return 0;
}
