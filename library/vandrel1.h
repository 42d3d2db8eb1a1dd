// vandrel1.dlp: the name registry library of Rolvane.
//
// A flat table of operations over process-wide stores and tables. Every string
// argument is a NUL-terminated string of Windows-1252 bytes owned by the caller;
// the library copies whatever it keeps. Integers are 32-bit. Text answers are
// written into a caller's buffer under the fill contract: the buffer's length is
// the length of its string; a shorter answer overwrites its start (no terminator
// is written, the rest stays as it was); an answer as long as the buffer or
// longer only turns the first character into a blank; an empty buffer gets
// nothing. No operation reports an error and no exception leaves the library.
// The files it writes are written whole or not at all: a file that could not be
// written is left as it was, or, where there was none, left empty.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VANDREL_CALL __stdcall
#else
#define VANDREL_CALL
#endif

#if defined(_WIN32)
#define VANDREL_API __declspec(dllexport)
#else
#define VANDREL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Name registry ---------------------------------------------------------
// Opens the stores carnet, carnetancien and carnetid (an open store keeps its
// contents) and empties the teacher lines.
VANDREL_API void VANDREL_CALL creationCarnet(void);
// Closes and deletes the three stores.
VANDREL_API void VANDREL_CALL fermercarnet(void);
// Adds the name key to carnet.
VANDREL_API void VANDREL_CALL inserenom(const char* nameKey);
// -1 when carnet holds the name key, else 0.
VANDREL_API int32_t VANDREL_CALL present(const char* nameKey);
// -1 when carnetid holds the identifier, else 0.
VANDREL_API int32_t VANDREL_CALL presentID(const char* identifier);
// Adds (key, value) to carnetancien.
VANDREL_API void VANDREL_CALL inserenomancien(const char* key, const char* value);
// Fills the buffer with the value of the first entry of the key, or with "n".
VANDREL_API void VANDREL_CALL presentancien(const char* key, char* buffer);
// Lists last year's accounts of the given groups (separated by blanks) whose
// holders have no name key this year, into comptesAsupprimer.txt.
VANDREL_API void VANDREL_CALL elevessortis(const char* groupList);
// Does nothing; kept because the program calls it at the end of some jobs.
VANDREL_API void VANDREL_CALL raz(void);

// ---- Teachers in service, groups, string indexes ----------------------------
VANDREL_API void VANDREL_CALL memoriseProfEnService(const char* identifier);
// Empties and reopens carnetid, empties the group tables.
VANDREL_API void VANDREL_CALL razProfEnService(void);
VANDREL_API void VANDREL_CALL associecodegroupe(const char* groupCode, const char* className);
// kind "G": the first argument is a group code; "D": a class name.
VANDREL_API void VANDREL_CALL associeProfsGroupes(const char* codeOrClass, const char* kind,
                                                  const char* teacher);
// Fills the buffer with the teacher's group names separated by blanks.
VANDREL_API void VANDREL_CALL genereGroupes(const char* teacher, char* buffer);
// Index of the string (added when new; indexes start at 2).
VANDREL_API int32_t VANDREL_CALL inseredstableau(const char* text);
// Index of the string, or -1.
VANDREL_API int32_t VANDREL_CALL indexdstableau(const char* text);

// ---- Teacher lines of the server's EXPORT file ------------------------------
VANDREL_API void VANDREL_CALL memligneprof(const char* line);
// "surname;first name" of every teacher of the working copy, separated by "|".
VANDREL_API void VANDREL_CALL tableauProfs(char* buffer);
// The distinct groups of the stored lines, separated by "|".
VANDREL_API void VANDREL_CALL tableauGroupes(char* buffer);
// Field 9 (responsible groups) of the teacher's line.
VANDREL_API void VANDREL_CALL retrouveDonneesProf(const char* surname, const char* firstName,
                                                  char* buffer);
// mode 1: set field 9 of the teacher's line; mode 2: remove the line and queue it
// for deletion.
VANDREL_API void VANDREL_CALL msjourbaseresp(int32_t mode, const char* surname,
                                             const char* firstName, const char* value);
// mode 1: write ComptesProfsResponsablesAModifier.txt; mode 2: write
// ComptesProfsASupprimer.txt; every call empties the output queue.
VANDREL_API void VANDREL_CALL msjourbasekwartz(int32_t mode);

#ifdef __cplusplus
}
#endif
