#pragma once

class QFont;

namespace window {

// The windows ask for the Windows fonts "ＭＳ Ｐゴシック" and "Tahoma" by name.
// fontconfig knows no alias for them, so they are mapped to the fonts the
// program installs with. Call once, after the QApplication exists.
void InstallFontSubstitutions();

// "ＭＳ Ｐゴシック" at a pixel height, the font most controls of the watch-list window use.
QFont PGothicFont(int pixelSize = 13, bool bold = true);

} // namespace window
