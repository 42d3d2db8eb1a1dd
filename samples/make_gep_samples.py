#!/usr/bin/env python3
"""Writes the GEP sample school of samples/gep with the shapelib tools.

The tables are dBase III files made by Debian's `dbfcreate` and `dbfadd`
(package shapelib), so the program reads tables it did not shape itself. Their
text is in code page 850, as the administration database writes it. The EXPORT
file of last year's server is Windows-1252 with CR LF line ends.

    python3 samples/make_gep_samples.py      # rewrites samples/gep
"""
import pathlib
import shutil
import subprocess
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE / "gep"
RNE = "0590001A"        # the school
OTHER_RNE = "0590002B"  # a neighbouring school

# ---- Pupils: F_ELE.DBF ------------------------------------------------------
# 42 fields: identifier 1, surname 2, first name 3, birth date AAAAMMJJ 5, class 40.
PUPIL_FIELDS = [("ELENOET", 6), ("NOM", 40), ("PRENOM", 30), ("PRENOM2", 30),
                ("DATENAIS", 8), ("SEXE", 1), ("LIEUNAIS", 30), ("NATION", 3),
                ("ADRESSE1", 38), ("ADRESSE2", 38), ("CODEPOST", 5), ("COMMUNE", 32),
                ("TELEPHONE", 14), ("REGIME", 2), ("BOURSIER", 1), ("TRANSPORT", 1)]
PUPIL_FIELDS += [("ZONE%02d" % k, 4) for k in range(17, 40)]
PUPIL_FIELDS += [("DIVCOD", 8), ("MEF", 11), ("DATENTREE", 8)]
assert len(PUPIL_FIELDS) == 42 and PUPIL_FIELDS[39][0] == "DIVCOD"

# (identifier, surname, first name, AAAAMMJJ, sex, class)
PUPILS = [
    ("000101", "DUPONT", "Catherine", "20120503", "F", "6A"),
    ("000102", "MARTIN", "Léa", "20120917", "F", "6A"),
    ("000103", "MARTIN", "Léa", "20121102", "F", "6B"),      # a clash: martin.lea1
    ("000104", "LE GOFF", "Jean-Baptiste", "20120114", "M", "6A"),
    ("000105", "D'ALMEIDA", "Inès", "20120622", "F", "6B"),
    ("000106", "BÉRANGER", "Élodie", "20120308", "F", "6B"),
    ("000107", "N'DIAYE", "Moussa", "20121230", "M", "6B"),
    ("000108", "LEFÈVRE", "Noël", "20111225", "M", "5A"),
    ("000109", "MÜLLER", "François", "20110709", "M", "5A"),
    ("000110", "GARÇON", "Chloé", "20110411", "F", "5A"),
    ("000111", "DE LA TOUR D'AUVERGNE-LAURAGUAIS", "Maximilien", "20110130", "M", "5A"),
    ("000112", "VANDERSTRAETEN-DELACROIX", "Marie Hélène", "20100805", "F", "4A"),
    ("000113", "PETIT", "Lucas", "20100219", "M", "4A"),
    ("000114", "ROUSSEAU", "Anaïs", "20100927", "F", "4A"),
    ("000115", "FONTAINE", "Zoé", "20101014", "F", "4A"),
    ("000116", "DUPONT", "Thomas", "20100601", "M", "4A"),
    ("000117", "GIRAUD", "Jean Pierre", "20090315", "M", "3A"),
    ("000118", "MOREAU", "Hélène", "20091122", "F", "3A"),
    ("000119", "O'BRIEN", "Kevin", "20090704", "M", "3A"),
    ("000120", "CHÂTEAU", "Gaëlle", "20090228", "F", "3A"),
    ("000121", "LEROY", "Mathéo", "20090510", "M", "3A"),
    ("000122", "SAINT-EXUPÉRY", "Antoine", "20090801", "M", "3A"),
    ("000123", "NGUYEN", "Thi Mai", "20090119", "F", "3A"),
    ("000124", "BERNARD", "Océane", "20110907", "F", "ULIS"),
    ("000125", "THOMAS", "Enzo", "20100413", "M", "ULIS"),
    ("000126", "ROBERT", "Camille", "20120224", "F", "6A"),
    ("000127", "RICHARD", "Hugo", "20121008", "M", "6B"),
    ("000128", "DURAND", "Manon", "20110316", "F", "5A"),
    ("000129", "LAMBERT", "Théo", "20100102", "M", "4A"),
    ("000130", "BONNET", "Clémence", "20091205", "F", "3A"),
    ("000131", "FRANÇOIS", "Maëlys", "20120707", "F", "6A"),
    ("000132", "MERCIER", "Louis", "20111111", "M", "5A"),
    ("000133", "MARTIN", "Léo", "20100330", "M", "4A"),
    ("000134", "DUBOIS", "Inès", "20090923", "F", "3A"),
    ("000135", "BLANC", "Noémie", "20120418", "F", "6B"),
    ("000136", "GUÉRIN", "Raphaël", "20110526", "M", "5A"),
]

# ---- Staff: F_IND.DBF and their assignments F_AFF.DBF -----------------------
STAFF_FIELDS = [("TYPE", 1), ("NUMIND", 10), ("NUMEN", 13), ("NOMUSA", 30),
                ("PRENOM", 30), ("DATENAIS", 8), ("GRADE", 10), ("CIVILITE", 4)]
# (identifier, staff number, surname, first name, civility, end of assignment, RNE)
STAFF = [
    ("0000010001", "14E0512345ABC", "BÉRARD", "Sébastien", "M.", "20990831", RNE),
    ("0000010002", "09E0498765XYZ", "LEMAÎTRE", "Hélène", "MME", "20990831", RNE),
    ("0000010003", "12E0433221KLM", "ROUX", "Anne-Sophie", "MME", "20990831", RNE),
    ("0000010004", "05E0411111AAA", "D'ARTAGNAN", "Charles", "M.", "20990831", RNE),
    ("0000010005", "07E0422222BBB", "DUPONT", "Claude", "M.", "20990831", RNE),
    ("0000010006", "08E0433333CCC", "DUPONT", "Cécile", "MME", "20990831", RNE),
    ("0000010007", "03E0444444DDD", "FAURE", "Gérard", "M.", "20240831", RNE),     # left in 2024
    ("0000010008", "11E0455555EEE", "PERRIN", "Sylvie", "MME", "20990831", OTHER_RNE),  # elsewhere
]
ASSIGNMENT_FIELDS = [("NUMAFF", 6), ("TYPAFF", 2), ("NUMIND", 10), ("RNE", 8),
                     ("DISCIP", 6), ("DATEDEB", 8), ("DATEFIN", 8)]

# ---- Groups: F_GPD.DBF, and the teachers' groups and classes: F_MEN.DBF -------
GROUP_FIELDS = [("TYPGRP", 1), ("CODGRP", 7), ("DIVCOD", 6), ("LIBGRP", 30)]
GROUPS = [("G", "LV2ESP", "4A", "Espagnol LV2 4e"),
          ("G", "LATIN5", "5A", "Latin 5e"),
          ("G", "LATIN5", "4A", "Latin 5e (suite)")]
LINK_FIELDS = [("NUMMEN", 6), ("ANNEE", 4), ("MATIERE", 6), ("HORAIRE", 4), ("SEMAINE", 2),
               ("CODE", 8), ("TYPE", 2), ("COEF", 4), ("OPTION", 4), ("SALLE", 6),
               ("NUMIND", 10)]
# (code or class, kind, teacher)
LINKS = [("6A", "D", "0000010001"), ("3A", "D", "0000010001"), ("LV2ESP", "G", "0000010002"),
         ("5A", "D", "0000010003"), ("LATIN5", "G", "0000010003"), ("ULIS", "D", "0000010004"),
         ("4A", "D", "0000010005"), ("6B", "D", "0000010006")]

# ---- Last year's server: EXPORT ----------------------------------------------
EXPORT_HEADER = ("#Nom;Prénom;groupe d'affectation;login actuel;nouveau login;mot de passe;"
                 "droits;groupes invités;groupes responsable;serveur mail externe; login mail "
                 "externe; mot de passe mail externe")
EXPORT_LINES = [
    # kept in the same class (5A last year and this year's 5A pupils came from 6th)
    "DUPONT;CATHERINE;c5a;dupont.catherine;dupont.catherine;;;;;;;",
    "LEFEVRE;NOEL;c5a;lefevre.noel;lefevre.noel;;;;;;;",
    # kept, class renamed: last year c5b, now 4A
    "PETIT;LUCAS;c5b;petit.lucas;petit.lucas;;;;;;;",
    "ROUSSEAU;ANAIS;c5b;rousseau.anais;rousseau.anais;;;;;;;",
    "GIRAUD;JEAN;c4a;giraud.jean;giraud.jean;;;;;;;",
    # departed pupils: in classes that exist this year, no longer in the tables
    "LEBLANC;JULIE;c3a;leblanc.julie;leblanc.julie;;;;;;;",
    "COLIN;MAXIME;c4a;colin.maxime;colin.maxime;;;;;;;",
    # departed from a class that no longer exists (not listed)
    "GAUTIER;EMMA;c3b;gautier.emma;gautier.emma;;;;;;;",
    # teachers
    "BERARD;sebastien;profs;berard.sebastien;berard.sebastien;;;;;;;",
    "ROUX;annesophie;profs;roux.anne;roux.anne;;;;;;;",   # kept, old login
    "FAURE;gerard;profs;faure.gerard;faure.gerard;;;;;;;",
]


def oem(text):
    return text.encode("cp850")


def make_table(path, fields, rows):
    """Creates a dBase III table of character fields and adds the rows."""
    args = ["dbfcreate", str(path)]
    for name, width in fields:
        args += ["-s", name, str(width)]
    subprocess.run(args, check=True)
    for row in rows:
        values = [oem(v) for v in row]
        assert len(values) == len(fields)
        subprocess.run([b"dbfadd", str(path).encode()] + values, check=True)


def pupil_rows():
    for i, (ident, surname, first, born, sex, cls) in enumerate(PUPILS):
        row = [ident, surname, first, "", born, sex, "LILLE", "100",
               "%d RUE DES ÉCOLES" % (i + 1), "", "59000", "LILLE", "0320%06d" % i, "DP", "N", "N"]
        row += [""] * 23
        row += [cls, "10010012110", "20240902"]
        yield row


def staff_rows():
    for ident, numen, surname, first, civ, _, _ in STAFF:
        yield ["E", ident, numen, surname, first, "19750101", "CERTIFIE", civ]


def assignment_rows():
    for k, (ident, _, _, _, _, end, rne) in enumerate(STAFF):
        yield ["%06d" % (k + 1), "EN", ident, rne, "L0100", "20150901", end]


def link_rows():
    for k, (code, kind, teacher) in enumerate(LINKS):
        yield ["%06d" % (k + 1), "2025", "MATH", "4", "A", code, kind, "1", "", "B%03d" % k, teacher]


def main():
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        make_table(tmp / "F_ELE", PUPIL_FIELDS, pupil_rows())
        make_table(tmp / "F_IND", STAFF_FIELDS, staff_rows())
        make_table(tmp / "F_AFF", ASSIGNMENT_FIELDS, assignment_rows())
        make_table(tmp / "F_GPD", GROUP_FIELDS, GROUPS)
        make_table(tmp / "F_MEN", LINK_FIELDS, link_rows())
        if OUT.exists():
            shutil.rmtree(OUT)
        OUT.mkdir()
        for name in ["F_ELE", "F_IND", "F_AFF", "F_GPD", "F_MEN"]:
            shutil.copyfile(tmp / (name + ".dbf"), OUT / (name + ".DBF"))
    export = "\r\n".join([EXPORT_HEADER] + EXPORT_LINES) + "\r\n"
    (OUT / "EXPORT").write_bytes(export.encode("cp1252"))


if __name__ == "__main__":
    main()
