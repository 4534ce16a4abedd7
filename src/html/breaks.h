#pragma once

#include <QString>

namespace tarnwell {

// CR LF "<BR>"
QString lineBreak();

// CR LF "<P></P>"
QString paragraphBreak();

} // namespace tarnwell
