#pragma once

namespace window {

// The windows ask for the Windows fonts "ＭＳ Ｐゴシック" and "Tahoma" by name.
// fontconfig knows no alias for them, so they are mapped to the fonts the
// program installs with. Call once, after the QApplication exists.
void InstallFontSubstitutions();

} // namespace window
