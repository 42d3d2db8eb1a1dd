// The window speaks French on every machine: Qt's own dialogs take their words from
// Qt's French catalogue, and their sizes, dates, numbers and file types from a French
// system locale, whatever LANG and LC_* say.
#pragma once

namespace gui {

// Call before the QApplication is made. Qt reads the system locale once, from LC_ALL,
// LC_MESSAGES and LANG; this has it read fr_FR. The C library's locale and the
// environment the program's children inherit stay the user's.
void useFrenchSystemLocale();

// Call after the QApplication is made: Qt's French catalogue (loadFrenchQtTexts), and
// the file-type words that catalogue lacks ("Folder", "Drive" ...). False when Qt's
// translations are not installed; the words it lacks are French all the same.
bool installFrenchTexts();

} // namespace gui
