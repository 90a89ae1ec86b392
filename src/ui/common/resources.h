#pragma once

namespace kartevo {

// Registers the pictures compiled into the window library (safe to call more than once).
void EnsureResources();

} // namespace kartevo
