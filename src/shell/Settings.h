#pragma once
// The program's values in the per-user settings store. Keys and values are kept in a
// character-shifted form: each character moves 85 places up the Windows-1252 code page.
// The store is addressed by the executable's name and the section "Settings".

#include <QString>

namespace platform {
struct Services;
}

// Shifts each character up 85 places in Windows-1252. A character that would pass the
// top of the page is left out; one the page lacks counts as "?", as the system's own
// conversion to the page would make it.
QString EncodeSetting(const QString& text);
// The inverse: shifts each character down 85 places, leaving out any that would fall
// below the start of the page.
QString DecodeSetting(const QString& text);

// The decoded value of key; the empty string when the store has none.
QString ReadSetting(const platform::Services& services, const QString& key);
// Stores value under key, replacing any earlier one. False when the store refused it.
bool WriteSetting(platform::Services& services, const QString& key, const QString& value);
