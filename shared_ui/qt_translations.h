#pragma once
// Qt's own texts (the standard buttons はい/いいえ/キャンセル, the file dialog's 開く, ファイル名)
// in the desktop's language, from the translations Qt ships (Debian: qt6-translations-l10n). The
// programs' own texts are Japanese whatever the locale; only what Qt draws follows the locale.
#include <QLocale>

class QTranslator;

// Installs Qt's translation for `locale` into the running application (which owns it). Returns
// the installed translator, or nullptr when Qt has none for that language (English, or the
// package is missing): the standard dialogs then stay English. Deleting the translator removes it.
QTranslator* installQtTranslations(const QLocale& locale = QLocale::system());
