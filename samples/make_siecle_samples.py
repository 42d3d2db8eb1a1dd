#!/usr/bin/env python3
"""Writes the SIECLE and STS-web samples of one school byte for byte.

The school: a collège of 62 pupils in six divisions, a seventh division
"Inactifs" and a few groups; 12 members of staff with their services. The pupils'
export is ISO-8859-15 (as the administration's tool writes it: "œ" is the byte
0xBD), the staff export UTF-8; both end their lines with CR LF. The EXPORT file
of the server, for the update, is Windows-1252 with CR LF; EXPORT-identifiants is
the same server once its pupil accounts carry their identifiers (field 14).

    python3 samples/make_siecle_samples.py   # rewrites samples/siecle
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE / "siecle"
UAJ = "0590001A"

# division: the pupils' (surname, usage name, first name, birth date) in order.
# The pupils of a division are numbered from the division's first ELEVE_ID.
DIVISIONS = {
    "6A": ["DUPONT||Catherine|03/05/2014", "LEFÈVRE||Élodie|12/11/2014",
           "CŒUR||Maëlle|21/02/2014", "BERANGER||Élodie|08/03/2014",
           "GARCIA||Lucas|17/07/2014", "NGUYEN||Thi Mai|02/12/2014",
           "D'ARTAGNAN||Noël|14/07/2014", "FONTAINE||Chloé|30/01/2014",
           "ROBERT||Hugo|05/09/2014", "MOREAU||Inès|11/04/2014"],
    "6B": ["PETIT||Jules|09/10/2014", "DUPONT||Catherine|19/06/2014",
           "MARTIN|MARTIN-DURAND|Jean Pierre|01/02/2014", "LEROY||Zoé|23/08/2014",
           "ŠKODOVÁ||Šárka|15/05/2014", "BOUCHER||Théo|27/03/2014",
           "GIRARD||Léa|04/11/2014", "ANDRÉ||Raphaël|13/01/2014",
           "LAMBERT||Manon|28/09/2014", "BONNET||Nathan|06/06/2014"],
    "5e 1": ["LE GOFF||François|23/09/2013", "VANDERSTRAETEN-DELACROIX||Marie-Hélène|05/06/2013",
             "ROUSSEAU||Camille|16/12/2013", "FAURE||Enzo|08/08/2013",
             "BLANC||Jade|20/04/2013", "GUÉRIN||Louis|01/10/2013",
             "MULLER||Anaïs|29/02/2012", "HENRY||Gabriel|12/03/2013",
             "ROUX||Lina|07/07/2013", "COLIN||Maxime|18/05/2013"],
    "4A": ["PERRIN||Adèle|03/03/2012", "MERCIER||Baptiste|14/10/2012",
           "BŒUF||Océane|22/01/2012", "DUVAL||Tom|30/06/2012",
           "CARON||Clémence|11/09/2012", "DUPONT||Catherine|25/12/2012",
           "SCHMITT||Noé|02/04/2012", "MEYER||Eva|19/08/2012",
           "BARBIER||Axel|09/02/2012", "ARNAUD||Héloïse|15/11/2012"],
    "3A": ["BRUN||Maxence|06/01/2011", "CHEVALIER||Romane|21/07/2011",
           "DENIS||Mathis|13/05/2011", "LEMAIRE||Juliette|28/10/2011",
           "FRANÇOIS||Ethan|04/03/2011", "LUCAS||Margaux|17/09/2011",
           "MATHIEU||Quentin|30/11/2011", "GAUTHIER||Lou|08/06/2011",
           "PICARD||Ambre|24/02/2011", "PETIT||Jules|12/12/2011"],
    "3B": ["LEBLANC||Julie|10/04/2011", "ROGER||Victor|02/08/2011",
           "ROCHE||Célia|19/01/2011", "FABRE||Paul|26/05/2011",
           "AUBERT||Lisa|07/10/2011", "HOARAU||Kylian|15/03/2011",
           "PAYET||Naëlle|01/07/2011", "LEGRAND|LEGRAND-SŒUR|Bérénice|22/09/2011",
           "MARCHAND||Sacha|03/11/2011", "DUMAS||Lilou|14/02/2011"],
}
FIRST_IDS = {"6A": 4301, "6B": 4321, "5e 1": 4341, "4A": 4361, "3A": 4381, "3B": 4401}

# Pupils who get no account: one who left, one in "Inactifs", one without division.
LEFT = ("BOYER||Kenza|09/09/2013", "5e 1", "15/03/2026")
INACTIVE = ("RENARD||Timéo|11/11/2012", "INACTIFS")
WITHOUT_DIVISION = "MASSON||Alice|05/05/2014"

# Groups: code, divisions it draws from, and which pupils of them follow it.
GROUPS = [("LAT5", ["5e 1", "4A"]), ("3ESP1", ["3A", "3B"]), ("6AGL-1", ["6A"])]

# Staff: ID, usage name, birth name, first name, birth date, function.
STAFF = [
    ("12001", "BERARD", "BERARD", "Sébastien", "1975-04-12", "ENS"),
    ("12002", "LEMAÎTRE", "DUCHÊNE", "Hélène", "1980-09-30", "ENS"),
    ("12003", "ROUX", "ROUX", "Anne-Sophie", "1983-02-14", "ENS"),
    ("12004", "", "O'NEILL", "Patrick", "1969-11-02", "ENS"),
    ("12005", "MARTIN", "MARTIN", "Claire", "1978-06-21", "ENS"),
    ("12006", "MARTIN", "MARTIN", "Claire", "1990-01-05", "ENS"),
    ("12007", "CŒURDEROY", "CŒURDEROY", "Anaëlle", "1986-03-17", "ENS"),
    ("12008", "FONTAINE-DESCHAMPS", "FONTAINE", "Jean-Baptiste", "1972-12-24", "ENS"),
    ("12009", "NGUYEN", "NGUYEN", "Văn Minh", "1984-08-08", "ENS"),
    ("12010", "DUBOIS", "DUBOIS", "Isabelle", "1971-05-03", "DIR"),
    ("12011", "LAURENT", "LAURENT", "Éric", "1979-10-10", "EDU"),
    ("12012", "PERROT", "PERROT", "Sylvie", "1966-07-29", "DOC"),
]

# Services: division or group code -> teachers' IDs, one service per teacher.
DIVISION_SERVICES = {
    "6A": ["12001", "12002", "12007"],
    "6B": ["12001", "12003"],
    "5e 1": ["12002", "12005"],
    "4A": ["12003", "12006"],
    "3A": ["12004", "12008", "12009"],
    "3B": ["12004", "12008"],
    "INACTIFS": [],
}
GROUP_SERVICES = {"LAT5": ["12001"], "3ESP1": ["12005", "12009"], "6AGL-1": ["12007"]}

# The server's accounts of last year: pupils who come back, one who left over the
# summer, and teachers.
EXPORT_LINES = [
    "DUPONT;CATHERINE;c5a;dupont.catherine;dupont.catherine;;;;;;;",
    "LEGOFF;FRANCOIS;c6b;legoff.francois;legoff.francois;;;;;;;",
    "PETIT;JULES;c4a;petit.jules;petit.jules;;;;;;;",
    "COLIN;MAXIME;c6a;colin.maxime;colin.maxime;;;;;;;",
    "BOYER;KENZA;c6a;boyer.kenza;boyer.kenza;;;;;;;",
    "LEBLANC;JULIE;c4b;leblanc.julie;leblanc.julie;;;;;;;",
    "ZIMMER;PAUL;c3b;zimmer.paul;zimmer.paul;;;;;;;",
    "BERARD;SEBASTIEN;profs;berard.sebastien;berard.sebastien;;;;;;;",
    "ROUX;annesophie;profs;roux.annesophie;roux.annesophie;;;;;;;",
    "ADMIN;;admin;administrateur;administrateur;;;;;;;",
]
# The same school's server once it carries the pupils' identifiers (field 14,
# written by Rolvane into every new pupil's Kwartz 1.7 fields): PETIT Jules of
# last year's c4a is ELENOET 2320, not the new 6e pupil of that name read first;
# MARTIN Jean now bears the usage name MARTIN-DURAND.
EXPORT_IDENTIFIED_LINES = [
    "DUPONT;CATHERINE;c5a;dupont.catherine;dupont.catherine;;;;;;;;;2231;;",
    "LEGOFF;FRANCOIS;c6b;legoff.francois;legoff.francois;;;;;;;;;2271;;",
    "PETIT;JULES;c4a;petit.jules;petit.jules;;;;;;;;;2320;;",
    "MARTIN;JEAN;c6b;martin.jean;martin.jean;;;;;;;;;2253;;",
    "COLIN;MAXIME;c6a;colin.maxime;colin.maxime;;;;;;;;;2280;;",
    "BOYER;KENZA;c6a;boyer.kenza;boyer.kenza;;;;;;;;;2235;;",
    "LEBLANC;JULIE;c4b;leblanc.julie;leblanc.julie;;;;;;;;;2331;;",
    "ZIMMER;PAUL;c3b;zimmer.paul;zimmer.paul;;;;;;;;;2341;;",
    "BERARD;SEBASTIEN;profs;berard.sebastien;berard.sebastien;;;;;;;;;;;",
    "ROUX;annesophie;profs;roux.annesophie;roux.annesophie;;;;;;;;;;;",
    "ADMIN;;admin;administrateur;administrateur;;;;;;;",
]
EXPORT_HEADER = ("#Nom;Prénom;groupe d'affectation;login actuel;nouveau login;mot de passe;"
                 "droits;groupes invités;groupes responsable;serveur mail externe; "
                 "login mail externe; mot de passe mail externe")


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def pupil_element(eleve_id, elenoet, person, left=None):
    surname, usage, first, born = person.split("|")
    noet = "" if elenoet is None else f' ELENOET="{elenoet}"'
    lines = [f'      <ELEVE ELEVE_ID="{eleve_id}"{noet}>',
             f"        <ID_NATIONAL>{eleve_id:0>9}{chr(65 + eleve_id % 26)}{chr(65 + eleve_id % 7)}</ID_NATIONAL>",
             f"        <NOM_DE_FAMILLE>{esc(surname)}</NOM_DE_FAMILLE>",
             f"        <NOM_USAGE>{esc(usage)}</NOM_USAGE>",
             f"        <PRENOM>{esc(first)}</PRENOM>",
             f"        <DATE_NAISS>{born}</DATE_NAISS>",
             f"        <CODE_SEXE>{1 + eleve_id % 2}</CODE_SEXE>",
             "        <CODE_PAYS>100</CODE_PAYS>"]
    if left:
        lines.append(f"        <DATE_SORTIE>{left}</DATE_SORTIE>")
    lines.append("      </ELEVE>")
    return lines


def structure(code, kind):
    return [
        "        <STRUCTURE>",
        f"          <CODE_STRUCTURE>{esc(code)}</CODE_STRUCTURE>",
        f"          <TYPE_STRUCTURE>{kind}</TYPE_STRUCTURE>",
        "        </STRUCTURE>",
    ]


def group_of(division, rank):
    """The group a pupil follows: every third pupil of the group's divisions."""
    for code, divisions in GROUPS:
        if division in divisions and rank % 3 == 0:
            return code
    return None


def pupils_xml():
    eleves, structures = [], []

    def add(eleve_id, elenoet, person, codes, left=None):
        eleves.extend(pupil_element(eleve_id, elenoet, person, left))
        if not codes:
            return
        structures.append(f'      <STRUCTURES_ELEVE ELEVE_ID="{eleve_id}" ELENOET="{elenoet or ""}">')
        for code, kind in codes:
            structures.extend(structure(code, kind))
        structures.append("      </STRUCTURES_ELEVE>")

    for division, persons in DIVISIONS.items():
        for rank, person in enumerate(persons):
            eleve_id = FIRST_IDS[division] + rank
            # Most pupils have an ELENOET; one has none and one a blank one, so
            # that ELEVE_ID stands for them.
            elenoet = {4305: None, 4326: " "}.get(eleve_id, str(eleve_id - 2070))
            codes = []
            group = group_of(division, rank)
            if group and rank == 3:
                codes.append((group, "G"))  # a group listed before the division
                group = None
            codes.append((division, "D"))
            if group:
                codes.append((group, "G"))
            add(eleve_id, elenoet, person, codes)
    add(4421, "2351", LEFT[0], [(LEFT[1], "D")], left=LEFT[2])
    add(4422, "2352", INACTIVE[0], [(INACTIVE[1], "D")])
    add(4423, "2353", WITHOUT_DIVISION, [("6AGL-1", "G")])

    lines = ['<?xml version="1.0" encoding="ISO-8859-15"?>',
             '<BEE_ELEVES VERSION="3.1">',
             "  <PARAMETRES>",
             f"    <UAJ>{UAJ}</UAJ>",
             "    <ANNEE_SCOLAIRE>2026</ANNEE_SCOLAIRE>",
             "    <DATE_EXPORT>01/09/2026</DATE_EXPORT>",
             "    <HORODATAGE>01/09/2026 08:12:45</HORODATAGE>",
             "  </PARAMETRES>",
             "  <DONNEES>",
             "    <ELEVES>", *eleves, "    </ELEVES>",
             "    <STRUCTURES>", *structures, "    </STRUCTURES>",
             "  </DONNEES>",
             "</BEE_ELEVES>"]
    return ("\r\n".join(lines) + "\r\n").encode("iso-8859-15")


def services(ids):
    lines = ["          <SERVICES>"]
    for n, teacher in enumerate(ids):
        lines += [f'            <SERVICE CODE_MATIERE="0{30201 + n}" CODE_MOD_COURS="CG">',
                  "              <ENSEIGNANTS>",
                  f'                <ENSEIGNANT ID="{teacher}" TYPE="epp">',
                  "                  <COFINANCEMENT>N</COFINANCEMENT>",
                  "                </ENSEIGNANT>",
                  "              </ENSEIGNANTS>",
                  "            </SERVICE>"]
    return lines + ["          </SERVICES>"]


def staff_xml():
    individus = []
    for ident, usage, birth, first, born, function in STAFF:
        individus += [f'      <INDIVIDU ID="{ident}" TYPE="epp">',
                      "        <SEXE>1</SEXE>",
                      f"        <NOM_USAGE>{esc(usage)}</NOM_USAGE>",
                      f"        <NOM_PATRONYMIQUE>{esc(birth)}</NOM_PATRONYMIQUE>",
                      f"        <PRENOM>{esc(first)}</PRENOM>",
                      f"        <DATE_NAISSANCE>{born}</DATE_NAISSANCE>",
                      '        <GRADE CODE="0032"/>',
                      f"        <FONCTION>{function}</FONCTION>",
                      "      </INDIVIDU>"]
    divisions = []
    for code, ids in DIVISION_SERVICES.items():
        divisions += [f'        <DIVISION CODE="{esc(code)}">',
                      "          <MEFS_APPARTENANCE><MEF_APPARTENANCE CODE=\"10010012110\"/></MEFS_APPARTENANCE>",
                      *services(ids),
                      "        </DIVISION>"]
    groups = []
    for code, members in GROUPS:
        groups += [f'        <GROUPE CODE="{esc(code)}">',
                   f"          <LIBELLE_LONG>Groupe {esc(code)}</LIBELLE_LONG>",
                   "          <DIVISIONS_APPARTENANCE>",
                   *[f'            <DIVISION_APPARTENANCE CODE="{esc(d)}"/>' for d in members],
                   "          </DIVISIONS_APPARTENANCE>",
                   *services(GROUP_SERVICES[code]),
                   "        </GROUPE>"]
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<STS_EDT>",
             "  <PARAMETRES>",
             f'    <UAJ CODE="{UAJ}"/>',
             '    <ANNEE_SCOLAIRE ANNEE="2026"/>',
             "  </PARAMETRES>",
             "  <DONNEES>",
             "    <NOMENCLATURES><MATIERES><MATIERE CODE=\"030201\"/></MATIERES></NOMENCLATURES>",
             "    <INDIVIDUS>", *individus, "    </INDIVIDUS>",
             "    <STRUCTURE>",
             "      <DIVISIONS>", *divisions, "      </DIVISIONS>",
             "      <GROUPES>", *groups, "      </GROUPES>",
             "    </STRUCTURE>",
             "  </DONNEES>",
             "</STS_EDT>"]
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def export_bytes(lines):
    return ("\r\n".join([EXPORT_HEADER, *lines]) + "\r\n").encode("cp1252")


def main():
    OUT.mkdir(exist_ok=True)
    (OUT / "ElevesSansAdresses.xml").write_bytes(pupils_xml())
    (OUT / f"sts_emp_{UAJ}_2026.xml").write_bytes(staff_xml())
    (OUT / "EXPORT").write_bytes(export_bytes(EXPORT_LINES))
    (OUT / "EXPORT-identifiants").write_bytes(export_bytes(EXPORT_IDENTIFIED_LINES))


if __name__ == "__main__":
    main()
