// The least a process must do to run an update job: read every source file once
// and write files of the sizes the job wrote, each with one open, one write and
// one close. bench_whole_process times it beside rolvane-batch on the same data.
//
//   bench_io_floor MANIFEST SOURCE_DIR OUTPUT_DIR
//
// The manifest holds one line per file: "in NAME" for a source, "out SIZE NAME"
// for an output. Exit status 1 when a file cannot be read or written.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool readWhole(const std::string& path, std::vector<char>& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
    }
    ::close(fd);
    return n == 0;
}

bool writeSized(const std::string& path, size_t size, std::vector<char>& buffer) {
    if (buffer.size() < size) buffer.resize(size, 'x');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, buffer.data(), size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_io_floor MANIFEST SOURCE_DIR OUTPUT_DIR\n");
        return 2;
    }
    const std::string sources = std::string(argv[2]) + "/", outputs = std::string(argv[3]) + "/";
    std::vector<char> in(1 << 16), out;
    std::ifstream manifest(argv[1]);
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream fields(line);
        std::string kind, name;
        size_t size = 0;
        fields >> kind;
        if (kind == "out") fields >> size;
        fields.get(); // the blank before the name
        std::getline(fields, name);
        const bool done =
            kind == "in" ? readWhole(sources + name, in) : writeSized(outputs + name, size, out);
        if (!done) {
            std::fprintf(stderr, "bench_io_floor: %s %s failed\n", kind.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
