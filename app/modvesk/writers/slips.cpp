#include "slips.h"

#include "account_rows.h"
#include "files.h"
#include "text.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <map>
#include <unordered_map>

namespace modvesk {

std::string classOfGroup(const std::string& group) {
    const std::string cls = Lower(Trim(group));
    if (cls.size() > 1 && cls[0] == 'c' && StartsWithDigit(cls.substr(1))) return cls.substr(1);
    return cls;
}

namespace {

bool isTeacher(const AccountRow& row) {
    return row.groupe == "profs";
}

Slip slipOf(const AccountRow& row, const std::string& firstName) {
    return Slip{firstName + " " + row.nom,
                row.groupe == "profs" ? "profs" : classOfGroup(row.groupe), row.nouveauLogin,
                row.motDePasse};
}

// Letters only, lower case: a class file's full first name and an account's
// first-name part are compared so.
std::string letters(const std::string& text) {
    std::string out;
    for (char c : Lower(text))
        if (c != ' ' && c != '-' && c != '\'' && c != '.') out += c;
    return out;
}

// The class file's lines ("SURNAME,First name,group,password") matched with the
// accounts of the class, in the file's order; the accounts it does not list follow.
std::vector<Slip> inClassFileOrder(const FolderListing& dir, const std::string& cls,
                                   const std::vector<const AccountRow*>& rows) {
    std::vector<Slip> slips;
    std::vector<bool> used(rows.size(), false);
    std::string bytes;
    if (IsPlainFileName(cls) && ReadAll(dir.file(cls + ".TXT"), bytes)) {
        forEachLine(bytes, [&](const std::string& line) {
            const std::string surname = NthField(1, line, ",");
            const std::string first = NthField(2, line, ",");
            const std::string password = NthField(4, line, ",");
            long found = -1;
            for (size_t i = 0; i < rows.size(); ++i) {
                if (used[i] || rows[i]->nom != surname || rows[i]->motDePasse != password) continue;
                const bool sameFirst = letters(first).rfind(letters(rows[i]->prenom), 0) == 0;
                if (found < 0 || sameFirst) found = static_cast<long>(i);
                if (sameFirst) break;
            }
            if (found < 0) return;
            used[static_cast<size_t>(found)] = true;
            slips.push_back(slipOf(*rows[static_cast<size_t>(found)], first));
        });
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (!used[i]) slips.push_back(slipOf(*rows[i], rows[i]->prenom));
    return slips;
}

std::vector<AccountRow> newAccountsWithPassword(const fs::path& dir) {
    std::vector<AccountRow> rows = readAccountRows(dir);
    std::erase_if(rows, [](const AccountRow& r) {
        return r.action != AccountAction::Creation || Trim(r.motDePasse).empty();
    });
    return rows;
}

} // namespace

std::vector<SlipGroup> pupilSlips(const fs::path& dir) {
    const std::vector<AccountRow> rows = newAccountsWithPassword(dir);
    // Classes in the order of the class list: without regard to case.
    std::map<std::string, std::vector<const AccountRow*>> byClass;
    for (const auto& row : rows)
        if (!isTeacher(row)) byClass[classOfGroup(row.groupe)].push_back(&row);
    const FolderListing listing(dir);
    std::vector<SlipGroup> groups;
    for (const auto& [cls, members] : byClass)
        groups.push_back(SlipGroup{cls, inClassFileOrder(listing, cls, members)});
    return groups;
}

SlipGroup teacherSlips(const fs::path& dir) {
    SlipGroup group{"profs", {}};
    for (const auto& row : newAccountsWithPassword(dir))
        if (isTeacher(row)) group.slips.push_back(slipOf(row, row.prenom));
    return group;
}

namespace {

// A4 in points, eight slips a page: two columns of four.
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;
constexpr int kColumns = 2, kRows = 4;
constexpr double kSlipWidth = kPageWidth / kColumns, kSlipHeight = kPageHeight / kRows;
constexpr double kMargin = 22;

// The fonts of a slip, made once per file (DejaVu holds every Windows-1252 letter).
struct Fonts {
    cairo_font_face_t* regular = cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                                            CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_face_t* bold =
        cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_font_face_t* italic = cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_OBLIQUE,
                                                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_face_t* mono = cairo_toy_font_face_create(
        "DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        for (auto* face : {regular, bold, italic, mono})
            cairo_font_face_destroy(face);
    }
};

// One line of UTF-8 text at (x, y), made smaller when it would be wider than
// `room`; a fixed text that fits (room 0) is not measured.
void text(cairo_t* cr, cairo_font_face_t* face, double size, double x, double y,
          const std::string& utf8Text, double room = kSlipWidth - 2 * kMargin) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext{};
    if (room > 0) cairo_text_extents(cr, utf8Text.c_str(), &ext);
    if (room > 0 && ext.x_advance > room) cairo_set_font_size(cr, size * room / ext.x_advance);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, utf8Text.c_str());
}

void drawCutLines(cairo_t* cr) {
    cairo_save(cr);
    const double dash[] = {4, 3};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 0.5);
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
    for (int c = 1; c < kColumns; ++c) {
        cairo_move_to(cr, c * kSlipWidth, 0);
        cairo_line_to(cr, c * kSlipWidth, kPageHeight);
    }
    for (int r = 1; r < kRows; ++r) {
        cairo_move_to(cr, 0, r * kSlipHeight);
        cairo_line_to(cr, kPageWidth, r * kSlipHeight);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawSlip(cairo_t* cr, const Fonts& f, const Slip& slip, const std::string& rne, double left,
              double top) {
    const double x = left + kMargin;
    double y = top + kMargin + 12;
    if (!rne.empty()) text(cr, f.regular, 9, x, y, "Établissement " + utf8(rne));
    y += 26;
    text(cr, f.bold, 15, x, y, utf8(slip.name));
    y += 20;
    text(cr, f.regular, 11, x, y,
         slip.group == "profs" ? "Professeur" : "Classe : " + utf8(Upper(slip.group)));
    y += 30;
    text(cr, f.regular, 11, x, y, "Identifiant :", 0);
    const double valueRoom = kSlipWidth - 2 * kMargin - 95;
    text(cr, f.mono, 14, x + 95, y, utf8(slip.login), valueRoom);
    y += 22;
    text(cr, f.regular, 11, x, y, "Mot de passe :", 0);
    text(cr, f.mono, 14, x + 95, y, utf8(slip.password), valueRoom);
    y += 30;
    text(cr, f.italic, 9, x, y, "Mot de passe à changer à la première connexion.", 0);
}

} // namespace

bool writeSlipsPdf(const fs::path& path, const std::vector<const Slip*>& slips,
                   const std::string& rne) {
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "Fiches de connexion");
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Rolvane");
    cairo_t* cr = cairo_create(surface);
    {
        const Fonts fonts;
        constexpr size_t perPage = kColumns * kRows;
        for (size_t i = 0; i < slips.size(); ++i) {
            const size_t place = i % perPage;
            if (place == 0 && i > 0) cairo_show_page(cr);
            if (place == 0) drawCutLines(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            drawSlip(cr, fonts, *slips[i], rne, static_cast<double>(place % kColumns) * kSlipWidth,
                     static_cast<double>(place / kColumns) * kSlipHeight);
        }
        cairo_destroy(cr);
    }
    cairo_surface_finish(surface);
    const bool written = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

namespace {

std::vector<const Slip*> pointers(const std::vector<Slip>& slips) {
    std::vector<const Slip*> out;
    for (const auto& slip : slips)
        out.push_back(&slip);
    return out;
}

std::string rneOf(const Session& s) {
    const std::string rne = Upper(Trim(s.win.txtrne1));
    return rne.empty() ? Upper(Trim(s.win.txtrne2)) : rne;
}

// Writes one PDF of the program's folder and says so in the log box.
bool writeOne(Session& s, const FolderListing& folder, const std::string& name,
              const std::vector<const Slip*>& slips, std::vector<std::string>& written) {
    if (!IsPlainFileName(name)) {
        s.log(std::string(CRLF) + ansi("Classe ignorée (nom de fichier impossible) : ") + name);
        return false;
    }
    if (!writeSlipsPdf(folder.file(name), slips, rneOf(s))) {
        s.writeFailed(name);
        return false;
    }
    written.push_back(folder.file(name).filename().string()); // as it lies in the folder
    s.log(std::string(CRLF) + ansi("Fiches de connexion : ") + name + " (" +
          Str(static_cast<long>(slips.size())) + (slips.size() == 1 ? " fiche)" : " fiches)"));
    return true;
}

void nothingToPrint(Session& s, const std::string& utf8Text) {
    s.log(std::string(CRLF) + ansi(utf8Text));
    s.endEarly();
}

} // namespace

std::vector<std::string> writeSlips(Session& s, SlipChoice choice, const std::string& className) {
    std::vector<std::string> written;
    const FolderListing folder(s.dir);
    s.log(std::string(CRLF) + ansi("Création des fiches de connexion........"));
    if (choice == SlipChoice::Teachers) {
        const SlipGroup teachers = teacherSlips(s.dir);
        if (teachers.slips.empty())
            nothingToPrint(s, "Aucun nouveau compte de professeur avec un mot de passe.");
        else
            writeOne(s, folder, "fiches-profs.pdf", pointers(teachers.slips), written);
        return written;
    }
    const std::vector<SlipGroup> classes = pupilSlips(s.dir);
    if (choice == SlipChoice::OneClass) {
        const std::string wanted = classOfGroup(className);
        const auto it = std::find_if(classes.begin(), classes.end(),
                                     [&](const SlipGroup& g) { return g.name == wanted; });
        if (it == classes.end())
            nothingToPrint(s, "Aucun nouveau compte avec un mot de passe dans la classe " +
                                  utf8(className) + ".");
        else
            writeOne(s, folder, "fiches-" + it->name + ".pdf", pointers(it->slips), written);
        return written;
    }
    if (classes.empty()) {
        nothingToPrint(s, "Aucun nouveau compte d'élève avec un mot de passe.");
        return written;
    }
    std::vector<const Slip*> all;
    for (const auto& group : classes) {
        const auto slips = pointers(group.slips);
        writeOne(s, folder, "fiches-" + group.name + ".pdf", slips, written);
        all.insert(all.end(), slips.begin(), slips.end());
    }
    writeOne(s, folder, "fiches-toutes-classes.pdf", all, written);
    return written;
}

} // namespace modvesk
