#!/usr/bin/env python3
# Writes the table of HTML5 named character references from Python's own copy.
import html.entities
items = sorted(html.entities.html5.items(), key=lambda kv: kv[0].encode())
out = []
out.append("// Every named character reference of HTML5, sorted by name, as a browser")
out.append("// decodes them; names without \";\" are the old ones that work without it.")
out.append("// Generated once, not at build time, with:")
out.append("//   /usr/bin/python3 tools/gen_html_entities.py > src/document/html_entities.cpp")
out.append("")
out.append('#include "html_entities.h"')
out.append("")
out.append("namespace tarnwell {")
out.append("")
out.append("const NamedCharacter kNamedCharacters[] = {")
for name, text in items:
    cps = [ord(c) for c in text]
    assert len(cps) <= 2
    cps += [0] * (2 - len(cps))
    out.append('    {"%s", 0x%X, 0x%X},' % (name, cps[0], cps[1]))
out.append("};")
out.append("")
out.append("const int kNamedCharacterCount = int(sizeof(kNamedCharacters) / sizeof(kNamedCharacters[0]));")
out.append("")
out.append("} // namespace tarnwell")
print("\n".join(out))
