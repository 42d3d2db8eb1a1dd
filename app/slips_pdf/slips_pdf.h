// The PDF drawing of the login slips: a module of its own, loaded by the program
// only when it writes slips, so that no other job loads cairo and the libraries
// cairo brings with it. Every text is UTF-8 and already worded.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// The functions the module exports; everything else stays hidden (hidden
// visibility and the version script exports.map).
#if defined(_WIN32)
#define ROLVANE_SLIPS_PDF_API __declspec(dllexport)
#else
#define ROLVANE_SLIPS_PDF_API __attribute__((visibility("default")))
#endif

#define ROLVANE_SLIPS_PDF_ABI_VERSION 2

// One slip, each field one line of it.
struct rolvane_slip {
    const char* name;     // "Élodie LEFÈVRE"
    const char* group;    // "Classe : 3A" or "Professeur"
    const char* login;    // printed after "Identifiant :"
    const char* password; // printed after "Mot de passe :"
    int starts_group;     // 1: the first slip of a class, put at the top of a new page
};

// The version of this interface the module was built for.
ROLVANE_SLIPS_PDF_API int rolvane_slips_pdf_abi_version(void);
// Writes the slips into the PDF file `path`, readable by its owner alone (mode
// 0600), eight on each A4 page with cut lines, each group starting on a page of
// its own; `school` ("" for none) heads every slip, and a slip without it starts
// with its name. 1 when the file is written whole, else 0.
ROLVANE_SLIPS_PDF_API int rolvane_slips_pdf_write(const char* path,
                                                  const struct rolvane_slip* slips, size_t count,
                                                  const char* school);

#ifdef __cplusplus
}
#endif
