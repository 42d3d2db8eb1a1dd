// The component's text methods. They work on bytes, so Windows-1252 text passes
// through unchanged.
#pragma once

#include <string>
#include <string_view>

namespace pythrolvane {

// remplacechainepar: every occurrence of `what` in `text`, from left to right and
// without overlap, replaced by `by` (which may be empty). An empty `what` leaves the
// text as it is.
std::string replaceEvery(std::string_view text, std::string_view what, std::string_view by);

// extraitnomchemin: the folder part of a file path, without a closing separator;
// "/" and "\" both separate. "C:\a\b.mdb" gives "C:\a", "/srv/b.mdb" gives "/srv",
// "/b.mdb" gives "" (the caller's separator then names the root) and a bare file
// name gives "." (the current folder).
std::string folderOf(std::string_view path);

} // namespace pythrolvane
