// Keeps panels on the button-face colour and lists and edit fields on the window colour.
#pragma once

class QWidget;

// Applies the colours to root and everything below it now, and again whenever the system
// colours change. Panels and their controls take the button-face colour; drop-down lists,
// list boxes and edit fields the window (base) colour.
void followSystemColours(QWidget* root);
