// The lines of the server's EXPORT file handed over by the teacher tools: a
// snapshot (donneesprofs) and a working copy (donneesprofsnv).
#pragma once

namespace vandrel1 {

// Empties the snapshot and the working copy (creationCarnet does it).
void videLignesProfs();

} // namespace vandrel1
