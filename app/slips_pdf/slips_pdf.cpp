#include "slips_pdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

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

// One line of text at (x, y), made smaller when it would be wider than `room`; a
// fixed text that fits (room 0) is not measured.
void text(cairo_t* cr, cairo_font_face_t* face, double size, double x, double y, const char* line,
          double room = kSlipWidth - 2 * kMargin) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext{};
    if (room > 0) cairo_text_extents(cr, line, &ext);
    if (room > 0 && ext.x_advance > room) cairo_set_font_size(cr, size * room / ext.x_advance);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, line);
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

void drawSlip(cairo_t* cr, const Fonts& f, const rolvane_slip& slip, const std::string& school,
              double left, double top) {
    const double x = left + kMargin;
    double y = top + kMargin + 12;
    if (!school.empty()) {
        text(cr, f.regular, 9, x, y, ("Établissement " + school).c_str());
        y += 26;
    }
    text(cr, f.bold, 15, x, y, slip.name);
    y += 20;
    text(cr, f.regular, 11, x, y, slip.group);
    y += 30;
    text(cr, f.regular, 11, x, y, "Identifiant :", 0);
    const double valueRoom = kSlipWidth - 2 * kMargin - 95;
    text(cr, f.mono, 14, x + 95, y, slip.login, valueRoom);
    y += 22;
    text(cr, f.regular, 11, x, y, "Mot de passe :", 0);
    text(cr, f.mono, 14, x + 95, y, slip.password, valueRoom);
    y += 30;
    text(cr, f.italic, 9, x, y, "Mot de passe à changer à la première connexion.", 0);
}

// The slips hold passwords: their file is made readable by its owner alone
// (mode 0600 whatever the umask, also when it was there with a wider mode)
// before it is emptied and the slips are written into it. -1 on failure.
int openOwnerOnly(const char* path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::fchmod(fd, 0600) == 0 && ::ftruncate(fd, 0) == 0) return fd;
    ::close(fd);
    return -1;
}

// Where cairo's bytes go: the open file, which remembers that a write failed (a
// full disk), so that a PDF cut short is never taken for a whole one.
struct Sink {
    int fd = -1;
    bool failed = false;
};

cairo_status_t writeToSink(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<Sink*>(closure);
    while (length > 0 && !sink->failed) {
        const ssize_t n = ::write(sink->fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        sink->failed = n <= 0;
        if (n > 0) data += n, length -= static_cast<unsigned int>(n);
    }
    return sink->failed ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}

} // namespace

extern "C" ROLVANE_SLIPS_PDF_API int rolvane_slips_pdf_abi_version(void) {
    return ROLVANE_SLIPS_PDF_ABI_VERSION;
}

extern "C" ROLVANE_SLIPS_PDF_API int rolvane_slips_pdf_write(const char* path,
                                                             const rolvane_slip* slips,
                                                             size_t count, const char* school) {
    Sink sink{openOwnerOnly(path)};
    if (sink.fd < 0) return 0;
    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(writeToSink, &sink, kPageWidth, kPageHeight);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "Fiches de connexion");
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Rolvane");
    cairo_t* cr = cairo_create(surface);
    {
        const Fonts fonts;
        const std::string schoolLine = school ? school : "";
        constexpr size_t perPage = kColumns * kRows;
        size_t place = 0; // on the page
        for (size_t i = 0; i < count; ++i, ++place) {
            if (i > 0 && (place == perPage || slips[i].starts_group)) {
                cairo_show_page(cr);
                place = 0;
            }
            if (place == 0) drawCutLines(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            drawSlip(cr, fonts, slips[i], schoolLine,
                     static_cast<double>(place % kColumns) * kSlipWidth,
                     static_cast<double>(place / kColumns) * kSlipHeight);
        }
    }
    // A text cairo refuses (not UTF-8) stops every drawing after it: the slips
    // are then not all drawn, and the file is not whole.
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool finished = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    const bool synced = ::fsync(sink.fd) == 0;
    const bool closed = ::close(sink.fd) == 0 && synced;
    return drawn && finished && !sink.failed && closed ? 1 : 0;
}
