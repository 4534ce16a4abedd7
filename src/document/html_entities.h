#pragma once

namespace tarnwell {

// A named character reference: its name after "&" (";" included where the
// name has one) and the one or two characters it stands for.
struct NamedCharacter
{
    const char *name;
    char32_t first;
    char32_t second; // 0 when none
};

// Sorted by name, byte by byte.
extern const NamedCharacter kNamedCharacters[];
extern const int kNamedCharacterCount;

} // namespace tarnwell
