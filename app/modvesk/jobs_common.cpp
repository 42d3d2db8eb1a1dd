// Steps that every account job shares: clearing the last run's outputs, the
// library check, and the closing line of the log box.
#include "jobs.h"

#include "files.h"
#include "text.h"
#include "vandrel_client.h"

#include <ctime>

namespace modvesk {

const std::vector<std::string>& lastRunOutputs() {
    static const std::vector<std::string> names = {
        "doublons.txt",          "troncatures.txt",           "groupes.txt",
        "eleves.txt",            "profs.txt",                 "comptesAsupprimer.txt",
        "comptesAmodifier.txt",  "comptesAajouter.txt",       "comptesprofsAsupprimer.txt",
        "comptesprofsAmodifier.txt", "comptesprofsAajouter.txt", "identifiantgep.txt",
        "description_comptes.txt"};
    return names;
}

void deleteLastRunOutputs(Session& s) {
    for (const auto& name : lastRunOutputs()) DeleteFileIfExists(s.file(name));
}

bool requireLibrary(Session& s) {
    if (vandrel::available()) return true;
    s.job.libraryMissing = true;
    s.job.endedEarly = true;
    const std::string text =
        ansi("La bibliothèque vandrel1 est introuvable : aucun compte n'a été généré.");
    if (s.ui) s.ui->message(text, ansi("GEP / KWARTZ"), Icon::Exclamation);
    s.log(std::string(CRLF) + text);
    return false;
}

std::string closingLine(const Session& s, const std::string& successLine) {
    if (s.job.writeErrors.empty()) return successLine;
    return ansi("Des erreurs se sont produites : certains fichiers n'ont pas été créés.");
}

void startJob(Session& s) {
    s.job.writeErrors.clear();
    s.job.endedEarly = false;
    s.job.libraryMissing = false;
}

std::string currentTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &local);
    return buf;
}

} // namespace modvesk
