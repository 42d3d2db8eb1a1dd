// The account import files the Kwartz server reads, written from the two hidden
// sorted lists that the builders filled: lstTri (new accounts during an update)
// and LstTri2 (every account of a creation, the known accounts of an update).
#pragma once

#include "model/model.h"

#include <string>
#include <vector>

namespace modvesk {

// First line of every file that gets a header (Windows-1252).
const std::string& importHeader();

// The part of a list entry that goes into the file: the text before the first
// "|", or the whole entry when it has none.
std::string importPart(const std::string& entry);

// Writes the import files of a job. `count` is the number of persons built: the
// last person index (count - 1) is kept for the per-class files. Nothing is
// written unless sourceFile1 or sourceFile2 exists in the program's directory.
// `trainees` selects "stagiaires.txt" instead of "eleves.txt" for the comma form.
// Every file that cannot be written is recorded with Session::writeFailed.
void WriteImportFiles(Session& s, long& count, const std::string& sourceFile1,
                      const std::string& sourceFile2, bool trainees);

// The files a run writes that the next run deletes first (deleteLastRunOutputs),
// in the order it deletes them.
const std::vector<std::string>& lastRunOutputs();

} // namespace modvesk
