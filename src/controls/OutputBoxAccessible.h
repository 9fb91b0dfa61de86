#pragma once
// Lets assistive tools (screen readers, magnifiers) read the output box as the text box it is:
// its text, the caret, the selection and where each character is on the screen.

namespace tolvane {

// Safe to call more than once; every output box is then described to them.
void installOutputBoxAccessibility();

} // namespace tolvane
