// The program hands the system the sizes of its own build's structures (sizeof, never a
// number written down). These checks pin the layouts of the two targets, so a header or
// packing change that alters what the file dialogs and DirectSound receive stops the build.

#include <windows.h>

#include <commdlg.h>
#include <mmsystem.h>

#include <dsound.h>

constexpr bool is_64_bit = sizeof(void*) == 8;

static_assert(sizeof(void*) == 8 || sizeof(void*) == 4, "a 32-bit or a 64-bit Windows build");
static_assert(sizeof(OPENFILENAMEA) == (is_64_bit ? 152 : 88), "OPENFILENAMEA of this target");
static_assert(sizeof(DSBUFFERDESC) == (is_64_bit ? 40 : 36), "DSBUFFERDESC of this target");
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is packed on both targets");
static_assert(sizeof(WNDCLASSEXA) == (is_64_bit ? 80 : 48), "WNDCLASSEXA of this target");
