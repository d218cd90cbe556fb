#pragma once

#include <QString>

#include <string_view>

// Trace text is bytes. For display it is read as UTF-8; a byte that does not belong to a
// well-formed UTF-8 sequence is shown as its Latin-1 character, so nothing is lost or
// replaced by a placeholder.
QString DecodeForDisplay(std::string_view bytes);
