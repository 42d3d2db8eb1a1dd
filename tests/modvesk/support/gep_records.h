// GEP records for tests, cut the way the dBase reader's field table cuts them.
#pragma once

#include "model/model.h"

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Fills the family's widths and ends of the field table as the dBase reader
// does, from the widths of fields 1, 2, ...
void setFieldWidths(modvesk::FieldTable& table, modvesk::Family family,
                    const std::vector<long>& widths);
// A record text of the family: each field padded with blanks (or cut) to its
// width; the deletion byte ' ' ends a pupil record and begins the others.
std::string gepRecord(const modvesk::FieldTable& table, modvesk::Family family,
                      const std::map<long, std::string>& values);

} // namespace testsupport
