#include "dry_run.h"

#include "text.h"

#include <stdexcept>
#include <stdlib.h>

namespace modvesk {

namespace fs = std::filesystem;

namespace {

fs::path makePrivateFolder() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "rolvane-simulation-XXXXXX").string();
    // mkdtemp gives the folder the mode 0700.
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("impossible de créer le dossier de simulation dans " +
                                 base.string());
    return pattern;
}

// Gives the owner every right on the folders under `root` (a job may leave one
// read-only), so that removing the tree removes their files too.
void reopenFolders(const fs::path& root) {
    std::error_code ec;
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(root, options, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
}

} // namespace

DryRunFolder::DryRunFolder(const fs::path& dir)
    : dir_(fs::absolute(dir).lexically_normal()), root_(makePrivateFolder()),
      folder_(root_ / "dossier") {
    std::error_code ec;
    fs::create_directory(folder_, ec);
    for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        fs::copy_file(it->path(), folder_ / it->path().filename(), fileEc);
        if (fileEc) ec = fileEc;
    }
    if (ec) {
        const std::string why = ec.message();
        fs::remove_all(root_, ec);
        throw std::runtime_error("impossible de copier " + dir_.string() + " pour la simulation (" +
                                 why + ")");
    }
    copies_[folder_] = dir_;
}

DryRunFolder::~DryRunFolder() {
    std::error_code ec;
    // The job may have made its folder the current one: leave it before removing it.
    const fs::path current = fs::current_path(ec);
    if (!ec && current.string().rfind(root_.string(), 0) == 0) fs::current_path(dir_, ec);
    reopenFolders(root_);
    fs::remove_all(root_, ec);
}

fs::path DryRunFolder::besideFor(const fs::path& path) {
    const fs::path holder = root_ / ("entree-" + std::to_string(copies_.size()));
    std::error_code ec;
    fs::create_directory(holder, ec);
    const fs::path copy = holder / path.filename();
    copies_[copy] = path;
    return copy;
}

fs::path DryRunFolder::input(const fs::path& path) {
    if (path.empty()) return path;
    const fs::path full = fs::absolute(path).lexically_normal();
    if (full.parent_path() == dir_) return folder_ / full.filename();
    const fs::path copy = besideFor(full);
    std::error_code ec;
    // A path that is no file (missing, a folder) is handed on as such: the job says so.
    if (fs::is_regular_file(full, ec))
        fs::copy_file(full, copy, ec);
    else if (fs::is_directory(full, ec))
        fs::create_directory(copy, ec);
    return copy;
}

fs::path DryRunFolder::output(const fs::path& path) {
    if (path.empty()) return path;
    const fs::path full = fs::absolute(path).lexically_normal();
    if (full.parent_path() == dir_) return folder_ / full.filename();
    return besideFor(full);
}

std::string DryRunFolder::originalPaths(std::string text) const {
    // Longest copies first: the folder's path is the start of none of the others.
    for (auto it = copies_.rbegin(); it != copies_.rend(); ++it)
        text = ReplaceAll(text, it->first.string(), it->second.string());
    return text;
}

} // namespace modvesk
