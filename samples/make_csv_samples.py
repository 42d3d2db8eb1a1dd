#!/usr/bin/env python3
"""Writes the CSV, SCONET, trainee and EXPORT samples byte for byte.

Every file is Windows-1252. The plain CSV files, the trainee list and the EXPORT
file end their lines with CR LF, as the administration's tools write them; the
SCONET export ends its lines with a lone LF and keeps the "=" signs that a
spreadsheet puts before values it must not turn into numbers.

    python3 samples/make_csv_samples.py      # rewrites samples/csv and samples/sconet
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent

# surname;first name;class;DD/MM/YYYY
PLAIN_PUPILS = [
    "Dupont;Catherine;3A;03/05/2009",
    "Lefèvre;Élodie;3A;12/11/2009",
    "Martin-Durand;Jean Pierre;4B;01/02/2008",
    "Le Goff;François;3A;23/09/2009",
    "D'Artagnan;Noël;4B;14/07/2008",
    "Müller;Chloé;5C;30/01/2010",
    "Dupont;Catherine;5C;17/10/2010",
    "Vanderstraeten-Delacroix;Marie-Hélène;5C;05/06/2010",
]

# surname;first name;teachers' group;password
PLAIN_TEACHERS = [
    "Bérard;Sébastien;profs;Soleil44",
    "Lemaître;Hélène;profs;Azerty",
    "Roux;Anne-Sophie;profs;Jardin7",
]

SCONET_PUPILS = [
    "NOM;PRENOM;NE(E) LE;SEXE;DIV.",
    'DUPONT;CATHERINE;="03/05/2009";F;="3A"',
    'LEFÈVRE;ÉLODIE;="12/11/2009";F;="3A"',
    'MARTIN-DURAND;JEAN PIERRE;="01/02/2008";M;="4B"',
    "LE GOFF;FRAN=ÇOIS;=23/09/2009;M;=3A",
    'PETIT;LUCAS;="08/04/2010";M;="5C"',
]

TRAINEES = [
    "Dupont;Catherine",
    "Lefèvre;Élodie",
    "Martin;Jean Pierre",
    "Dupont;Catherine",
    "Durand",
    "Garcia.Lucas",
]

EXPORT_HEADER = ("#Nom;Prénom;groupe d'affectation;login actuel;nouveau login;mot de passe;"
                 "droits;groupes invités;groupes responsable;serveur mail externe; "
                 "login mail externe; mot de passe mail externe")
EXPORT_LINES = [
    "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;;;;;;;",
    "LEGOFF;FRANCOIS;c4b;legoff.francois;legoff.francois;;;;;;;",
    "PETIT;LUCAS;c3a;petit.lucas;petit.lucas;;;;;;;",
    "BERARD;SEBASTIEN;profs;berard.sebastien;berard.sebastien;;;;;;;",
    "ROUX;A;profs;a.roux;a.roux;;;;;;;",
    "ADMIN;;admin;administrateur;administrateur;;;;;;;",
]


def write(relative, lines, end):
    path = HERE / relative
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes("".join(line + end for line in lines).encode("cp1252"))


def main():
    write("csv/ELEVES.CSV", PLAIN_PUPILS, "\r\n")
    write("csv/PROFS.CSV", PLAIN_TEACHERS, "\r\n")
    write("csv/stagiaires.txt", TRAINEES, "\r\n")
    write("csv/EXPORT", [EXPORT_HEADER] + EXPORT_LINES, "\r\n")
    write("sconet/ELEVES.CSV", SCONET_PUPILS, "\n")


if __name__ == "__main__":
    main()
