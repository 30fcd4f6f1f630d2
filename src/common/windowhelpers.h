#pragma once
// Small routines that act on windows and controls.

class QWidget;

// Empties the inputs of a window, in creation order: line edits and memos
// lose their text, numeric edit boxes their text, combo boxes their selection
// and edit text (items stay). Other controls are left alone.
void Qz_ClearInputs(QWidget* window);
