#pragma once
// Han characters take their Japanese shapes only from a Japanese font; a desktop in a Japanese
// locale picks one by itself, a bare machine (a build machine making screenshots) does not.

// Makes "Noto Sans CJK JP" the application's font where it is installed; otherwise nothing.
void preferJapaneseFont();
