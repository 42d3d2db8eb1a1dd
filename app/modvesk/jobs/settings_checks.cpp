#include "jobs/settings_checks.h"

#include "jobs/job_steps.h"
#include "sources/export_reader.h"
#include "text/text.h"

namespace modvesk {

bool goOnDespite(Session& s, Check check, const std::string& statement, const std::string& ask) {
    if (s.ui->confirm(check, statement + " " + ask, kJobTitle, Icon::Exclamation)) return true;
    const std::string text =
        statement + std::string(CRLF) + ansi("Aucun fichier n'a été supprimé ni créé.");
    s.log(s.win.Text1.empty() ? text : std::string(CRLF) + text);
    s.endEarly();
    return false;
}

std::string loginFormatName(LoginFormat format) {
    switch (format) {
    case LoginFormat::NomDabord:
        return ansi("Nom.prénom");
    case LoginFormat::Abrev:
        return ansi("Prénom.Nom (Première lettre du prénom)");
    case LoginFormat::Entier:
        break;
    }
    return ansi("Prénom.Nom (Sans abréviation)");
}

bool loginFormatFits(Session& s, const ExportFile& exportFile) {
    const ExportLogins logins = ReadExportLogins(exportFile);
    const auto chosen = static_cast<size_t>(s.win.loginFormat);
    if (logins.pupils < 5 || logins.fitting[chosen] * 5 >= logins.pupils) return true;
    size_t followed = chosen;
    for (size_t f = 0; f < logins.fitting.size(); ++f)
        if (f != chosen && logins.fitting[f] * 5 >= logins.pupils * 3 &&
            (followed == chosen || logins.fitting[f] > logins.fitting[followed]))
            followed = f;
    if (followed == chosen) return true;
    return goOnDespite(
        s, Check::LoginFormat,
        ansi("Les logins du fichier EXPORT suivent le format ") +
            loginFormatName(static_cast<LoginFormat>(followed)) + " (par ex. " +
            logins.example[followed] + ansi(") alors que le format choisi est ") +
            loginFormatName(s.win.loginFormat) +
            ansi(" : la mise à jour créerait un nouveau compte pour chaque élève et listerait "
                 "les anciens comme partis."),
        ansi("Continuer quand même ?"));
}

bool RneLooksValid(const std::string& rne) {
    const std::string t = Upper(Trim(rne));
    return t.size() == 8 && t.find_first_not_of("0123456789") == 7 && t[7] >= 'A' && t[7] <= 'Z';
}

bool rneAccepted(Session& s, const std::string& rne) {
    const std::string shown = Trim(rne);
    if (shown.empty() || RneLooksValid(shown)) return true;
    return goOnDespite(s, Check::Rne,
                       ansi("Le N° RNE ") + shown +
                           ansi(" ne semble pas valide (7 chiffres et une lettre)."),
                       ansi("Continuer ?"));
}

} // namespace modvesk
