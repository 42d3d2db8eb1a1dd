#include "options.h"

#include "job_registry.h"

#include <filesystem>

namespace batch {

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kValued = {"--dir",  "--format", "--rne1",        "--rne2", "--export",
                                       "--list", "--group",  "--responsible", "--set",  "--teacher",
                                       "--mdb",  "--table",  "--fields",      "--out",  "--class"};
const std::set<std::string> kFlags = {
    "--no-kwartz17", "--random-passwords", "--yes",
    "--accounts",    "--swap-day-month",   "--dry-run",
    "--all",         "--teachers",         "--ignore-format-check"};
const std::set<std::string> kPaths = {"--dir", "--export", "--list", "--mdb", "--out"};
const std::set<std::string> kFormats = {"nom.prenom", "initiale.nom", "prenom.nom"};
const std::set<std::string> kShowFormats = {"table", "csv"};

std::string absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

void checkValues(Options& o) {
    if (!o.has("--dir")) o.values["--dir"] = {fs::current_path().string()};
    std::error_code ec;
    if (!fs::is_directory(o.value("--dir"), ec))
        throw UsageError("le dossier " + o.value("--dir") + " n'existe pas.");
    // "show" prints its rows as a table or as CSV; the other jobs build logins.
    if (o.job == "show") {
        if (o.has("--format") && !kShowFormats.count(o.value("--format")))
            throw UsageError("format d'affichage inconnu : " + o.value("--format") + ".");
    } else if (o.has("--format") && !kFormats.count(o.value("--format"))) {
        throw UsageError("format de login inconnu : " + o.value("--format") + ".");
    }
    for (const auto& set : o.all("--set"))
        if (set.find('=') == std::string::npos)
            throw UsageError("--set attend \"NOM;Prénom=groupes\" : " + set + ".");
}

} // namespace

bool Options::has(const std::string& option) const {
    const auto it = values.find(option);
    return flag(option) || (it != values.end() && !it->second.empty());
}

std::string Options::value(const std::string& option) const {
    const auto it = values.find(option);
    return it == values.end() || it->second.empty() ? "" : it->second.back();
}

std::vector<std::string> Options::all(const std::string& option) const {
    const auto it = values.find(option);
    return it == values.end() ? std::vector<std::string>{} : it->second;
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    if (args.empty()) throw UsageError("aucune tâche n'est indiquée.");
    o.job = args[0];
    if (!findJob(o.job)) throw UsageError("tâche inconnue : " + o.job + ".");
    for (size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i], value;
        const auto eq = name.find('=');
        const bool inlineValue = name.rfind("--", 0) == 0 && eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (kFlags.count(name) && !inlineValue) {
            o.flags.insert(name);
        } else if (kValued.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError("l'option " + name + " attend une valeur.");
                value = args[++i];
            }
            o.values[name].push_back(kPaths.count(name) ? absolute(value) : value);
        } else {
            throw UsageError("option inconnue : " + name + ".");
        }
    }
    checkValues(o);
    return o;
}

InfoRequest infoRequest(const std::vector<std::string>& args) {
    if (args.empty()) return InfoRequest::None;
    if (args[0] == "--version") return InfoRequest::Version;
    if (args[0] == "help") return InfoRequest::Usage;
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") return InfoRequest::Usage;
    return InfoRequest::None;
}

std::string usageText() {
    std::string text = "Usage : rolvane-batch TÂCHE [options]\n"
                       "        rolvane-batch --help | --version\n"
                       "\n"
                       "Tâches :\n";
    for (const BatchJob* job : allJobs()) {
        std::string line = "  " + job->name;
        line.resize(std::max<size_t>(line.size() + 1, 20), ' ');
        text += line + job->summary + "\n";
    }
    text +=
        "\n"
        "Options :\n"
        "  --dir DOSSIER         dossier des sources et des fichiers produits (dossier courant)\n"
        "  --format F            nom.prenom (défaut), initiale.nom ou prenom.nom\n"
        "  --no-kwartz17         sans les champs des nouveaux comptes Kwartz 1.7\n"
        "  --random-passwords    mots de passe aléatoires (8 caractères) pour les nouveaux\n"
        "                        comptes au lieu des mots de passe tirés des sources\n"
        "  --rne1 RNE, --rne2 RNE  N° RNE des établissements 1 et 2\n"
        "  --export CHEMIN       fichier EXPORT du serveur Kwartz\n"
        "  --yes                 répond Oui aux questions (sauf aux offres de rechercher une "
        "source)\n"
        "  --ignore-format-check  mise à jour même quand les logins du fichier EXPORT suivent\n"
        "                        un autre format que celui choisi\n"
        "  --list CHEMIN, --group NOM, --responsible \"G1 G2\"  liste et groupes des stagiaires\n"
        "  --set \"NOM;Prénom=G1 G2\", --teacher \"NOM;Prénom\"  (répétables) professeurs\n"
        "  --mdb, --table, --fields \"c1,c2\", --out, --accounts, --swap-day-month  base Access\n"
        "  --dry-run             simulation : la tâche travaille sur une copie du dossier,\n"
        "                        affiche son journal et ses comptes, et ne change rien\n"
        "  --format table|csv    (show) les comptes en tableau (défaut) ou en CSV\n"
        "  --class CLASSE, --all, --teachers  (slips) fiches d'une classe, de toutes, des profs\n"
        "  -h, --help            affiche cette aide ; --version : affiche la version\n"
        "\n"
        "Statut de sortie : 0 tâche menée à son terme ; 1 arrêtée avant la fin ; 2 mauvais usage "
        ";\n"
        "3 un fichier n'a pas pu être écrit, une table a été refusée ou la bibliothèque vandrel1\n"
        "est introuvable ; 4 erreur inattendue dans le programme (un message la nomme).\n";
    return text;
}

} // namespace batch
