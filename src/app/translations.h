#pragma once
// Qt's own texts (file dialogs, standard buttons, context menus of edits) in Russian, from the
// translation files of the system's Qt (Debian: qt6-translations-l10n).
class QTranslator;

namespace tavlora::app {

// Loads qtbase_ru into translator and installs it; false when the file is missing (Qt's texts
// then stay in English).
bool installRussianQtTexts(QTranslator& translator);

}  // namespace tavlora::app
