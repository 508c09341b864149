#pragma once
// The Track Header Editor as the main window sees it.

namespace kavelo {

// Runs the modal Track Header Editor with no owner window, so the main window and an open
// Voice editor stay usable while it runs.
void header_editor_open();

} // namespace kavelo
