#pragma once
// The Voice editor as the main window sees it.

namespace kavelo {

// Creates and shows the modeless Voice editor owned by the main window. Returns false when
// the dialog could not be created.
bool voice_editor_open();

} // namespace kavelo
