#pragma once

class QCoreApplication;

// Loads Qt's own Japanese texts (file, folder, font and print dialogs, the
// editors' context menus, the standard buttons) whatever the user's locale:
// every caption of the program is Japanese, and Qt's English would stand out
// beside them. Returns false when Qt's Japanese catalogue is not installed;
// Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication* app);
