// The kinds of radio the program talks to, told apart by the connect reply.
#pragma once

namespace t880 {

/// 'S' and 'Y' are current radios (their frequency words differ); Legacy is
/// an older radio with the legacy memory layout.
enum class RadioKind { S, Y, Legacy };

} // namespace t880
