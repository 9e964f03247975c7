#pragma once

namespace kova {

// Removes the temporary files that saves killed before their rename left in
// every folder this program saves into: the data folder (settings file and
// notes), the registry store's folder and the Startup folder. Run at start-up
// once this program holds its data folder; makes no folder.
void removeLeftoverSaves();

} // namespace kova
