#pragma once

// The window descriptions name the fonts of the classic Windows desktop, which Debian does not
// have. Each is given the Debian face closest to it in letter widths and line height, so that
// every text fits its control as the windows were designed:
//   "MS Sans Serif"          DejaVu Sans Condensed (fonts-dejavu-extra)
//   "Tahoma"                 Wine's Tahoma (fonts-wine), made to Tahoma's widths and heights;
//                            DejaVu Sans Condensed where it is missing
//   "Times New Roman"        Liberation Serif (fonts-liberation), made to Times New Roman's widths
//   "Arial Rounded MT Bold"  Liberation Sans, bold: Arial Bold's widths, next to the rounded face's
// A text whose window names no font is in "MS Sans Serif", 11 pixels, as on that desktop.
// Call once a QApplication exists, before the windows are made; later calls change nothing.
void UseStandInFonts();
