#include "jobs/dry_run.h"

#include "text/files.h"
#include "text/text.h"

#include <cstdint>
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

const char* const kNoRoom = "plus de place dans le dossier temporaire";

// Why a copy failed, in French for the usual causes.
std::string reasonOf(const std::error_code& ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted)
        return "accès refusé";
    if (ec == std::errc::no_space_on_device) return kNoRoom;
    if (ec == std::errc::io_error) return "erreur de lecture ou d'écriture";
    return ec.message();
}

// Copies a file; "" when the copy holds every byte of it, otherwise why not. A
// write that fails on a full disk is told as such (the copy may say io_error).
std::string copyWhole(const fs::path& from, const fs::path& to) {
    std::error_code ec, spaceEc;
    const std::uintmax_t size = fs::file_size(from, ec);
    if (!ec) fs::copy_file(from, to, ec);
    if (ec && fs::space(to.parent_path(), spaceEc).available < size && !spaceEc) return kNoRoom;
    if (ec) return reasonOf(ec);
    return fs::file_size(to, ec) == size && !ec ? "" : "copie incomplète";
}

std::runtime_error copyFailed(const fs::path& named, const std::string& why) {
    return std::runtime_error("impossible de copier " + named.string() + " pour la simulation (" +
                              why + ") : la simulation n'a pas été faite.");
}

} // namespace

DryRunFolder::DryRunFolder(const fs::path& dir)
    : named_(dir), dir_(fs::absolute(dir).lexically_normal()), root_(makePrivateFolder()),
      folder_(root_ / "dossier") {
    try {
        copyFolder();
    } catch (...) {
        remove();
        throw;
    }
    copies_[folder_] = dir_;
}

void DryRunFolder::copyFolder() {
    std::error_code ec;
    fs::create_directory(folder_, ec);
    if (ec) throw copyFailed(named_, reasonOf(ec));
    fs::directory_iterator it(dir_, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        const std::string why = copyWhole(it->path(), folder_ / it->path().filename());
        if (!why.empty()) throw copyFailed(named_ / it->path().filename(), why);
    }
    if (ec) throw copyFailed(named_, reasonOf(ec));
}

DryRunFolder::~DryRunFolder() {
    std::error_code ec;
    // The job may have made its folder the current one: leave it before removing it.
    const fs::path current = fs::current_path(ec);
    if (!ec && current.string().rfind(root_.string(), 0) == 0) fs::current_path(dir_, ec);
    remove();
}

void DryRunFolder::remove() const {
    // A job stopped by a signal may still be writing into the copy while it goes:
    // go over what is left until nothing is.
    std::error_code ec;
    for (int pass = 0; pass < 100 && fs::exists(fs::symlink_status(root_, ec)); ++pass) {
        reopenFolders(root_);
        fs::remove_all(root_, ec);
    }
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
    if (fs::is_regular_file(full, ec)) {
        const std::string why = copyWhole(full, copy);
        if (!why.empty()) {
            incomplete_ = true;
            throw copyFailed(path, why);
        }
    } else if (fs::is_directory(full, ec))
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

std::string DryRunFolder::originalShownPaths(std::string ansiText) const {
    for (auto it = copies_.rbegin(); it != copies_.rend(); ++it)
        ansiText = ReplaceAll(ansiText, shownName(it->first), shownName(it->second));
    return ansiText;
}

std::string simulationLine(const std::string& dir) {
    return "Simulation : rien n'a été écrit dans " + dir + ".";
}

} // namespace modvesk
