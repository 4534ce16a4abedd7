#pragma once

#include <QString>

namespace tarnwell {

// "bckgrnd<n>.jpg", n from 1 to 20.
QString galleryTextureName(int number);

// The program's own folder, where the gallery textures and the example
// buttons lie: beside the executable in a build tree, or the installed data
// folder (share/tarnwell beside bin). Native form.
QString programFolder();

} // namespace tarnwell
