/* The calling interface of the scripting component "Python.pythrolvane"
 * (libpythrolvane.so). The program loads the file at run time and resolves these
 * functions by name; nothing else is exported.
 *
 * Every string crossing this boundary holds Windows-1252 bytes and is passed with its
 * length, so a text may hold any byte. Answers are allocated by the component
 * (malloc), NUL-terminated, and released with pythrolvane_free.
 *
 * Methods (names matched without regard to case, as a late-bound call is):
 *   remplacechainepar(text, what, by)       every occurrence of what replaced by by
 *   extraitnomchemin(path)                  folder part of path, no closing separator
 *   catalogueTables(mdbPath)                user tables of an Access file, "|"-separated
 *   catalogueChamps(mdbPath, table)         columns of a table in order, "|"-separated
 *   lectureChamps(mdbPath, table, positions) rows as ";"-separated lines ended by CR LF
 */
#ifndef PYTHROLVANE_H
#define PYTHROLVANE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The functions the component exports; everything else stays hidden (hidden
 * visibility and the version script exports.map). */
#if defined(_WIN32)
#define PYTHROLVANE_API __declspec(dllexport)
#else
#define PYTHROLVANE_API __attribute__((visibility("default")))
#endif

/* Version of this interface; the program refuses a component of another version. */
#define PYTHROLVANE_ABI_VERSION 1

typedef struct pythrolvane_component pythrolvane_component;

/* PYTHROLVANE_ABI_VERSION of the component file. */
PYTHROLVANE_API int pythrolvane_abi_version(void);

/* A new component; NULL when memory is short. */
PYTHROLVANE_API pythrolvane_component* pythrolvane_create(void);

/* Calls `method` with argc arguments (argv[i] of argl[i] bytes).
 * Returns 0 on success: *result is the answer and *result_len its length.
 * Returns non-zero on failure: *result is a French text saying why (Windows-1252).
 * *result is NULL only when even that text could not be allocated.
 * result_len may be NULL. */
PYTHROLVANE_API int pythrolvane_invoke(pythrolvane_component* component, const char* method,
                                       int argc, const char* const* argv, const size_t* argl,
                                       char** result, size_t* result_len);

/* Releases an answer of pythrolvane_invoke (NULL is allowed). */
PYTHROLVANE_API void pythrolvane_free(char* text);

/* Releases a component (NULL is allowed). */
PYTHROLVANE_API void pythrolvane_destroy(pythrolvane_component* component);

#ifdef __cplusplus
}
#endif

#endif
