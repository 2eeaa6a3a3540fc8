// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a window's retained picture: centred at its own size on a page or any other target,
// and the printer command with its fall-back to a PDF file.
#pragma once

class QPaintDevice;
class QWidget;

namespace numerella {

class PlatformServices;
class WindowPicture;

// Paints src's picture onto dest (a printer, a PDF writer, an image...) at its own size,
// centred. A paged dest is switched to portrait, or landscape for a picture wider than tall,
// for this one page; its orientation is restored afterwards. Returns false when dest could not
// be painted on or the print job failed.
bool PrintAnywhere(const WindowPicture& src, QPaintDevice& dest);

// Prints src on the platform's printer. With no printer (or none answering), or when the
// printer refuses the job or it fails, tells the user and offers to save the page as a PDF
// file instead; whatever happens, the caller goes on.
void PrintOnPrinterOrPdf(PlatformServices& platform, QWidget* owner, const WindowPicture& src);

// The messages of the printing command.
inline constexpr const char* kPrintTitle = "Stampa";
inline constexpr const char* kNoPrinterText =
    "Nessuna stampante disponibile.\rSalvare la pagina come file PDF?";
inline constexpr const char* kPrintRefusedText =
    "La stampante ha rifiutato la stampa.\rSalvare la pagina come file PDF?";
inline constexpr const char* kPrintFailedText =
    "La stampa non \xE8 riuscita.\rSalvare la pagina come file PDF?";
inline constexpr const char* kPdfFailedText = "Impossibile scrivere il file PDF.";

}  // namespace numerella
