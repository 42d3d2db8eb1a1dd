// The main window as it opens: every control with its caption, initial state and
// accessible name, the menus in order, the start-up message, the directory shown.
#include "gui_fixture.h"

#include "text/text.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using guitest::WindowRig;

class WindowControls : public QObject {
    Q_OBJECT

  private slots:
    void framesAndLabelsHaveTheirCaptions();
    void optionsStartAsTheAdministratorExpects();
    void exportPartAndButtonsStartDisabled();
    void fileListsShowTheProgramDirectory();
    void menusAreInOrderWithTheirCaptions();
    void loginFormatOptionsFormOneGroup();
    void version3StaysSelectedAndKeepsTheUpdateItem();
    void startUpShowsTheHelpMessageAndCentresTheWindow();
};

void WindowControls::framesAndLabelsHaveTheirCaptions() {
    WindowRig rig;
    const std::pair<const char*, const char*> frames[] = {
        {"Frame5", ""},
        {"Frame4", "Fichiers générés"},
        {"Frame3", "Format du compte utilisateur"},
        {"Frame2", "Fichiers GEP ou CSV du répertoire"},
        {"Framemsj", "Emplacement du fichier \"EXPORT\" de KWARTZ"},
        {"Frame1", "Serveur KWARTZ"},
    };
    for (const auto& [name, caption] : frames) {
        auto* frame = rig.find<QGroupBox>(name);
        QVERIFY2(frame, name);
        QCOMPARE(frame->title(), QString::fromUtf8(caption));
    }
    QCOMPARE(rig.find<QLabel>("Label1")->text(), QStringLiteral("N° RNEétablissement 1"));
    QCOMPARE(rig.find<QLabel>("Label2")->text(), QStringLiteral("N° RNEétablissement 2"));
    QCOMPARE(rig.find<QLineEdit>("txtrne1")->accessibleName(),
             QStringLiteral("N° RNEétablissement 1"));
    QCOMPARE(rig.find<QLineEdit>("txtrne2")->accessibleName(),
             QStringLiteral("N° RNEétablissement 2"));
    QVERIFY(rig.find<QLineEdit>("txtrne1")->text().isEmpty());
    QVERIFY(rig.find<QLineEdit>("txtrne2")->text().isEmpty());
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Rolvane"));
}

void WindowControls::optionsStartAsTheAdministratorExpects() {
    WindowRig rig;
    const std::tuple<const char*, const char*, bool> radios[] = {
        {"OptionNomDabord", "Nom.prénom (dupont.catherine)", true},
        {"Optionabrev", "Prénom.Nom (Première lettre du prénom ex : c.dupont)", false},
        {"OptionEntier", "Prénom.Nom (Sans abréviation par ex : catherine.dupont)", false},
        {"version3", "KWARTZ  1.3x, 1.4x", true},
    };
    for (const auto& [name, caption, checked] : radios) {
        auto* radio = rig.find<QRadioButton>(name);
        QVERIFY2(radio, name);
        QCOMPARE(radio->text(), QString::fromUtf8(caption));
        QCOMPARE(radio->accessibleName(), QString::fromUtf8(caption));
        QCOMPARE(radio->isChecked(), checked);
    }
    auto* k17 = rig.find<QCheckBox>("kwartz17");
    QCOMPARE(k17->text(), QStringLiteral("Nouveaux comptes pour Kwartz 1.7*"));
    QVERIFY(k17->isChecked());
    QVERIFY(k17->isEnabled());
    auto* random = rig.find<QCheckBox>("randomPasswords");
    QCOMPARE(random->text(), QStringLiteral("Mots de passe aléatoires"));
    QVERIFY(!random->isChecked() && !random->toolTip().isEmpty());
}

void WindowControls::exportPartAndButtonsStartDisabled() {
    WindowRig rig;
    QVERIFY(!rig.find<QGroupBox>("Framemsj")->isEnabled());
    auto* rechercher = rig.find<QPushButton>("rechercher");
    QCOMPARE(rechercher->text(), QStringLiteral("Rechercher"));
    QVERIFY(!rechercher->isEnabled());
    QVERIFY(rig.find<QLabel>("placeexport")->text().isEmpty());
    auto* classes = rig.find<QListWidget>("classes");
    QVERIFY(!classes->isEnabled());
    QCOMPARE(classes->count(), 0);
    auto* log = rig.find<QPlainTextEdit>("Text1");
    QVERIFY(log->toPlainText().isEmpty());
    QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const std::tuple<const char*, const char*, bool> buttons[] = {
        {"Command3", "Sauvegarder toutes les classes", false},
        {"Command1", "Création des comptes des élèves", true},
        {"save1", "Sauvegarder une classe", false},
    };
    for (const auto& [name, caption, enabled] : buttons) {
        auto* b = rig.find<QPushButton>(name);
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QString::fromUtf8(caption));
        QCOMPARE(b->accessibleName(), QString::fromUtf8(caption));
        QCOMPARE(b->isEnabled(), enabled);
    }
    // The hidden sorted lists live in the model, empty.
    QVERIFY(rig.window->session().win.lstTri.empty());
    QVERIFY(rig.window->session().win.LstTri2.empty());
}

void WindowControls::fileListsShowTheProgramDirectory() {
    QTemporaryDir dir;
    for (const char* name :
         {"b.TXT", "a.txt", "F_ELE.DBF", "eleves.csv", "notes.doc", "ElevesSansAdresses.xml"})
        guitest::writeBytes(dir.filePath(QString::fromLatin1(name)), "x");
    gui::Vesklin window(std::filesystem::path(dir.path().toStdString()));
    QCOMPARE(guitest::listTexts(window.findChild<QListWidget*>("File1")),
             (QStringList{"a.txt", "b.TXT"}));
    QCOMPARE(guitest::listTexts(window.findChild<QListWidget*>("File2")),
             (QStringList{"eleves.csv", "ElevesSansAdresses.xml", "F_ELE.DBF"}));
    auto* shown = window.findChild<QLabel*>("repertoireProgramme");
    QVERIFY(shown);
    QCOMPARE(shown->text(), QStringLiteral("Répertoire du programme : ") + dir.path());
}

void WindowControls::menusAreInOrderWithTheirCaptions() {
    WindowRig rig;
    const QList<QAction*> top = rig.window->menuBar()->actions();
    QCOMPARE(top.size(), 3);
    QCOMPARE(top[0]->text(), QStringLiteral("&Fichiers"));
    QCOMPARE(top[0]->menu()->objectName(), QStringLiteral("lancer_M"));
    QCOMPARE(top[1]->objectName(), QStringLiteral("msj_M"));
    QCOMPARE(top[1]->text(), QStringLiteral("&Mise à jour du logiciel"));
    QCOMPARE(top[2]->objectName(), QStringLiteral("Quitter_M"));
    QCOMPARE(top[2]->text(), QStringLiteral("&Quitter"));
    const std::pair<const char*, const char*> items[] = {
        {"gep_b2i_m", "&Conversion GEP vers B2I"},
        {"Genfich_M", "C&réer les comptes (base GEP/serveur Kwartz)"},
        {"miseAjour_M", "&Mise à jour des comptes (base GEP/serveur Kwartz)"},
        {"creercompteSIECLE_m", "Créer les comptes (fichiers SIECLE/STS)"},
        {"msjcmptSIECLE_m", "Mise à jour des comptes (fichiers SIECLE/STS)"},
        {"csvaccess_m", "Créer un fichier CSV à partir d'une base Access"},
        {"creercompteCSV_m", "Créer les comptes à partir d'un fichier .CSV  (y compris SCONET)"},
        {"msjcmptcsv_m", "M&ise à jour des comptes à partir d'un fichier .CSV (y compris SCONET)"},
        {"stage_m", "Création des comptes à partir de Nom.Prénom ( situation stage)"},
        {"Modifconnex_M", "Modifier les noms de connexion"},
        {"defrespgroupes", "Définir les responsables de groupes"},
        {"supcpteProfs_m", "Supprimer des comptes dans le groupe PROFS"},
        {"Actualiser_M", "&Nettoyage du répertoire"},
        {"voirComptes_m", "&Voir les comptes"},
        {"Quitter2_m", "&Quitter"},
    };
    const QList<QAction*> actions = top[0]->menu()->actions();
    QCOMPARE(actions.size(), static_cast<qsizetype>(std::size(items)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), QString::fromLatin1(items[i].first));
        QCOMPARE(actions[i]->text(), QString::fromUtf8(items[i].second));
        QVERIFY(actions[i]->isEnabled());
    }
}

void WindowControls::loginFormatOptionsFormOneGroup() {
    WindowRig rig;
    QTest::mouseClick(rig.find<QRadioButton>("Optionabrev"), Qt::LeftButton);
    QVERIFY(rig.find<QRadioButton>("Optionabrev")->isChecked());
    QVERIFY(!rig.find<QRadioButton>("OptionNomDabord")->isChecked());
    QVERIFY(!rig.find<QRadioButton>("OptionEntier")->isChecked());
    QTest::mouseClick(rig.find<QCheckBox>("kwartz17"), Qt::LeftButton);
    QTest::mouseClick(rig.find<QCheckBox>("randomPasswords"), Qt::LeftButton);
    // The jobs read the controls when they run.
    rig.window->runCommand([](modvesk::Session&) {});
    QCOMPARE(rig.window->session().win.loginFormat, modvesk::LoginFormat::Abrev);
    QVERIFY(!rig.window->session().win.kwartz17);
    QVERIFY(rig.window->session().win.randomPasswords);
}

void WindowControls::version3StaysSelectedAndKeepsTheUpdateItem() {
    WindowRig rig;
    auto* version3 = rig.find<QRadioButton>("version3");
    QTest::mouseClick(version3, Qt::LeftButton);
    QTest::mouseClick(version3, Qt::LeftButton);
    QVERIFY(version3->isChecked());
    QVERIFY(rig.find<QAction>("miseAjour_M")->isEnabled());
    QVERIFY(rig.window->session().win.version3);
}

void WindowControls::startUpShowsTheHelpMessageAndCentresTheWindow() {
    WindowRig rig;
    rig.window->Form_Load(0);
    const std::string expected = modvesk::ansi(
        "Rolvane peut traiter un fichier généré par SCONET si  l'entête  est "
        "NOM;PRENOM;NE(E) LE;SEXE;DIV. Ce fichier doit avoir pour nom ELEVES.CSV ; il doit être "
        "copié dans le répertoire d'installation de ROLVANE.\r\n\r\n"
        "La création des comptes peut également se faire SANS SCONET à partir d'un fichier "
        "ELEVES.CSV et d'un fichier PROFS.CSV dont la structure doit être : "
        "'nom;prénom;groupe;JJ/MM/AAAA' pour les élèves et 'nom;prénom;groupe profs;mot de "
        "passe' pour les professeurs.\r\n\r\n"
        "Avec GEP, vous devez copier dans le répertoire de ROLVANE les fichiers de la base GEP : "
        "F_ELE.DBF, F_IND.DBF, F_AFF.DBF, F_MEN, F_GPD. (Les 2 derniers fichiers, facultatifs, "
        "servent à déclarer les groupes dont sont responsables les professeurs.) Si vous "
        "souhaitez générer la base des comptes élèves uniquement (usage B2I par exemple), le "
        "fichier F_ELE.DBF suffit. Pour un deuxième établissement (SEGPA par ex), il suffira de "
        "copier les fichiers issus de la base GEP du deuxième établissement en les renommant "
        "F_ELE2.DBF, F_IND2.DBF...............");
    QCOMPARE(rig.prompts.calls.size(), size_t(1));
    QCOMPARE(rig.prompts.calls[0].text, expected);
    QCOMPARE(rig.prompts.calls[0].title, std::string()); // the application's title
    QVERIFY(rig.window->isVisible());
    const QRect screen = rig.window->screen()->geometry();
    const QPoint offset = rig.window->frameGeometry().center() - screen.center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("offset %1,%2 frame %3x%4 screen %5x%6")
                            .arg(offset.x())
                            .arg(offset.y())
                            .arg(rig.window->frameGeometry().width())
                            .arg(rig.window->frameGeometry().height())
                            .arg(screen.width())
                            .arg(screen.height())));
    // A window not yet on the screen is centred as it appears.
    QTemporaryDir dir;
    gui::Vesklin fresh(std::filesystem::path(dir.path().toStdString()));
    fresh.setPrompts(&rig.prompts);
    fresh.Form_Load(0);
    // (the platform adds its frame once the window shows: a few pixels)
    const QPoint freshOffset = fresh.frameGeometry().center() - screen.center();
    QVERIFY(std::abs(freshOffset.x()) <= 4 && std::abs(freshOffset.y()) <= 4);
    if (QFile::exists(QStringLiteral(ROLVANE_BIN_DIR "/libpythrolvane.so")))
        QVERIFY(rig.window->session().component != nullptr);
}

QTEST_MAIN(WindowControls)
#include "test_window_controls.moc"
