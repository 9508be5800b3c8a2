// The parts every small dialog of the editor is built from: static texts, OK and Cancel.
#pragma once

#include <span>
#include <string_view>

class DialogUnits;
class QDialog;
class QPushButton;

// A static text at its place in dialog units.
struct DialogText {
    int x, y, w, h;
    std::string_view text;
};

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

void addStaticTexts(QDialog* dialog, const DialogUnits& du, std::span<const DialogText> texts);

// "OK" (the default button, ends with IDOK) and "Cancel" (ends with IDCANCEL), 50 x 14 units each.
QPushButton* addOkCancel(QDialog* dialog, const DialogUnits& du, int okX, int okY, int cancelX, int cancelY);

// Runs the dialog modally: IDOK, or IDCANCEL however else it was closed.
int runDialog(QDialog& dialog);
