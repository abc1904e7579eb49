// The system DLLs the program links for loading at first use (those that are no KnownDLLs), loaded from the
// system folder alone.
#pragma once

namespace app {

// Limits every later DLL search of the process to the system folder, then loads those DLLs from there.
// Ends the program with a message naming a DLL that cannot be loaded. Runs before anything else does:
// until then a DLL of that name beside the executable would be the one found.
void LoadSystemDlls();

} // namespace app
