#pragma once
// The 57 control pictures registered at start-up, in registration order (handles 0 to 56 on an
// empty table).

#include <array>

namespace resources {

extern const std::array<const wchar_t*, 57> skinPictureNames;

} // namespace resources
